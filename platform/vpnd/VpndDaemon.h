#pragma once
// The stand-in vpnd: `vpnd -x -i com.apple.ppp.L2TP` serves L2TP over IPsec with SoftEther from
// the installed server file, the System keychain's shared secret and the directory's VPN users,
// until SIGTERM. When it cannot serve (PPTP, no root, SoftEther missing, settings it cannot use)
// it says why in one line of the system log and stays up, as launchd expects of a daemon.

#include "platform/PlatformPaths.h"
#include "platform/SystemLog.h"

#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kServingLine = "Serving L2TP/IPsec on UDP 500, 4500";
inline constexpr const char* kNotServingPrefix = "Not serving: ";
inline constexpr const char* kStoppedLine = "Stopped serving";

// Exit status: 0 after SIGTERM, 64 for bad arguments, 1 when the server ended on its own (launchd
// then starts vpnd again).
int runVpnd(const std::vector<std::string>& arguments, const PlatformPaths& paths, SystemLog& log);

} // namespace veltrona
