#pragma once
// One row of the account list: the short name every account command uses, and whether the
// account is hidden from the login window (its shell is /usr/bin/false).

#include <optional>
#include <string>
#include <vector>

namespace veltrona {

struct AccountRecord {
    std::string userName;
    std::string userHidden; // "1" or "0"

    bool operator==(const AccountRecord&) const = default;
};

// The account that profile export, password reset and deletion act on: the first selected
// record's name; nothing when no row is selected.
std::optional<std::string> firstSelectedUserName(const std::vector<AccountRecord>& selected);

} // namespace veltrona
