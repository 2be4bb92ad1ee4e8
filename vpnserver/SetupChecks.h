#pragma once
// The checks "veltronactl check" and the window's "Check Setup…" run before a start: each reads
// the platform through the runner as root and says pass, warn or fail. Nothing is changed.

#include "platform/PlatformPaths.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerSettings.h"
#include "vpnserver/SetupCheck.h"
#include "vpnserver/SigningCheck.h"

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kSharedSecretCheck = "Shared secret";
inline constexpr const char* kAccountsCheck = "VPN accounts";
inline constexpr const char* kDnsCheck = "DNS servers";
inline constexpr const char* kPortsCheck = "UDP ports 500 and 4500";
inline constexpr const char* kServeHereCheck = "Serving on this machine";
inline constexpr std::size_t kShortestSharedSecret = 8;

// What the checks start from that other parts of the program know.
struct SetupCheckInput {
    ServerSettings settings;                   // the secret is the one the server would use
    std::vector<std::string> vpnAccounts;      // the names of the VPN accounts
    std::vector<std::string> machineAddresses; // this machine's IPv4 addresses
    SigningCheckFiles signing;                 // the host's own certificate, key and chain
};

// Prints each user's record name and ShadowHashData, as a property list.
std::vector<std::string> shadowHashListingArguments();
// The accounts among `names` whose ShadowHashData in the listing holds no SMB-NT hash; nothing
// when the listing is no property list of records (dscl failed).
std::optional<std::vector<std::string>> accountsWithoutNtHash(const std::vector<std::string>& names,
                                                              const std::string& listing);
// The UDP ports among `ports` bound in /proc/net/udp or udp6 text.
std::vector<int> boundUdpPorts(const std::string& procNetUdp, const std::vector<int>& ports);

std::vector<SetupCheck> runSetupChecks(CommandRunner& runner, const PlatformPaths& platform,
                                       const SetupCheckInput& input, std::time_t now = std::time(nullptr));

// The first check that failed, if any.
std::optional<SetupCheck> firstFailedCheck(const std::vector<SetupCheck>& checks);
// The one log line a start writes for it: The setup check "NAME" failed: MESSAGE
std::string failedCheckLogLine(const SetupCheck& check);

} // namespace veltrona
