#include "accounts/AccountEntry.h"

#include "accounts/TypedEntry.h"
#include "foundation/Text.h"

#include <algorithm>

namespace veltrona {

namespace {

std::size_t codePoints(const std::string& utf8)
{
    return static_cast<std::size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char byte) { return (static_cast<unsigned char>(byte) & 0xC0) != 0x80; }));
}

} // namespace

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

std::optional<EntryProblem> checkPasswordReset(std::string& password, std::string& verify)
{
    password = trimWhitespace(password);
    verify = trimWhitespace(verify);
    if (password.empty())
        return EntryProblem{kPasswordFieldsEmptyMessage, EntryField::Password};
    if (verify.empty())
        return EntryProblem{kPasswordFieldsEmptyMessage, EntryField::Verify};
    if (password != verify)
        return EntryProblem{kPasswordsDoNotMatchMessage, EntryField::Password};
    return std::nullopt;
}

std::optional<EntryProblem> checkAccountName(const std::string& name)
{
    if (codePoints(name) > kMaxAccountNameLength)
        return EntryProblem{"The Account Name is longer than " + std::to_string(kMaxAccountNameLength) + " characters.",
                            EntryField::Name};
    if (acceptedEntry(name, true) != name)
        return EntryProblem{kAccountNameFilteredMessage, EntryField::Name};
    return std::nullopt;
}

std::optional<EntryProblem> checkPasswordText(const std::string& password)
{
    if (password.find('\0') != std::string::npos)
        return EntryProblem{kPasswordHoldsNulMessage, EntryField::Password};
    if (codePoints(password) > kMaxPasswordLength)
        return EntryProblem{"The password is longer than " + std::to_string(kMaxPasswordLength) + " characters.",
                            EntryField::Password};
    return std::nullopt;
}

} // namespace veltrona
