#pragma once
// What vpnd serves, read as the Mac's vpnd reads it: the server entry named by -i in
// /Library/Preferences/SystemConfiguration/com.apple.RemoteAccessServers.plist, and the IPsec
// shared secret from the System keychain item racoon reads.

#include "platform/PlatformPaths.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace veltrona {

inline constexpr const char* kRemoteAccessServersFile =
    "/Library/Preferences/SystemConfiguration/com.apple.RemoteAccessServers.plist";
inline constexpr const char* kRacoonAccount = "com.apple.ppp.L2TP";
inline constexpr const char* kRacoonService = "com.apple.net.racoon";

using Ipv4 = std::uint32_t;

struct VpndSettings {
    Ipv4 firstAddress = 0; // the client address pool
    Ipv4 lastAddress = 0;
    std::vector<Ipv4> dnsServers; // those offered that are IPv4 addresses, in order
    std::string searchDomain;     // the first offered, or empty
    std::string sharedSecret;
};

// The settings, or the sentence saying why nothing can be served from them.
using VpndSettingsResult = std::variant<VpndSettings, std::string>;

// `serverId` is the -i argument, "com.apple.ppp.L2TP".
VpndSettingsResult readVpndSettings(const PlatformPaths& paths, const std::string& serverId);

std::string ipv4Text(Ipv4 address);

} // namespace veltrona
