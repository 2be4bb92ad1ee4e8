#include "accounts/AccountRecord.h"

namespace veltrona {

std::optional<std::string> firstSelectedUserName(const std::vector<AccountRecord>& selected)
{
    if (selected.empty())
        return std::nullopt;
    return selected.front().userName;
}

} // namespace veltrona
