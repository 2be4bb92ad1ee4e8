#pragma once
// The VPN users of the local directory: the directory listing command and the reading of its output.

#include "accounts/AccountRecord.h"
#include "platform/SystemLog.h"
#include "services/CommandRunner.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

inline constexpr const char* kAccountListingCommand = "dscl -plist . readall /users RealName UniqueID UserShell";
inline constexpr const char* kVpnUserRealName = "VPN-User";
inline constexpr int kFirstVpnUserId = 401;
inline constexpr int kLastVpnUserId = 499;

// "/bin/sh", "-c" and the listing command.
std::vector<std::string> accountListingArguments();

// The VPN users of a listing, in listing order. Nothing when the text is not a property list
// whose root is an array (the tool failed and printed an error or nothing); elements that are
// not dictionaries, and records without a name, are skipped like any other non-member.
std::optional<std::vector<AccountRecord>> parseAccountListing(std::string_view text);

// The directory's mark of a VPN account: an id in 401-499 and the real name "VPN-User".
bool isVpnAccountRecord(std::string_view uniqueId, std::string_view realName);

// Whether the listing holds an account of exactly that name.
bool isListedVpnUser(const std::vector<AccountRecord>& accounts, const std::string& name);

// Runs the listing through the runner and reads it. A listing that cannot be read gives no
// accounts and one line in the log.
std::vector<AccountRecord> loadVpnAccounts(CommandRunner& runner, SystemLog& log);

} // namespace veltrona
