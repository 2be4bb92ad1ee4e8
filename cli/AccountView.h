#pragma once
// The VPN accounts as the account commands need them.

#include "accounts/AccountListing.h"
#include "accounts/AccountRecord.h"
#include "cli/Session.h"

#include <optional>
#include <string>
#include <vector>

namespace veltrona::cli {

inline constexpr const char* kListingUnreadable = "The directory's account listing could not be read.";

// The listed VPN users; nothing when the listing could not be read (the window would show none).
std::optional<std::vector<AccountRecord>> listVpnAccounts(Session& session);

// Whether the name is one of the listed VPN users: the accounts the window lets one act on.
using veltrona::isListedVpnUser;

} // namespace veltrona::cli
