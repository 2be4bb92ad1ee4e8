#include "accounts/AccountEntry.h"

#include "foundation/Text.h"

namespace veltrona {

std::optional<EntryProblem> checkNewAccountEntry(NewAccountEntry& entry, bool creating)
{
    const std::pair<std::string*, EntryField> fields[] = {
        {&entry.name, EntryField::Name},
        {&entry.password, EntryField::Password},
        {&entry.verify, EntryField::Verify},
    };
    for (const auto& [text, field] : fields) {
        *text = trimWhitespace(*text);
        if (text->empty())
            return EntryProblem{kEntryFieldsEmptyMessage, field};
    }
    if (creating && entry.password != entry.verify)
        return EntryProblem{kPasswordsDoNotMatchMessage, EntryField::Password};
    return std::nullopt;
}

std::optional<EntryProblem> checkPasswordReset(const std::string& password, const std::string& verify)
{
    if (password.empty())
        return EntryProblem{kPasswordFieldsEmptyMessage, EntryField::Password};
    if (verify.empty())
        return EntryProblem{kPasswordFieldsEmptyMessage, EntryField::Verify};
    if (password != verify)
        return EntryProblem{kPasswordsDoNotMatchMessage, EntryField::Password};
    return std::nullopt;
}

} // namespace veltrona
