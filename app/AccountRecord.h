#pragma once
// One row of the account table: the account's short name and whether it is hidden ("1": its
// shell is /usr/bin/false, so it can only log in to the VPN).

#include <QString>

namespace veltrona {

struct AccountRecord {
    QString userName;
    QString userHidden;
    bool operator==(const AccountRecord&) const = default;
};

} // namespace veltrona
