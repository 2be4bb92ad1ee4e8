#pragma once
// Loading, unloading and probing the VPN server's launchd job.

#include "platform/PlatformPaths.h"
#include "services/CommandRunner.h"

#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kJobLink = "/Library/LaunchDaemons/com.brantholm.vpn.plist";

std::string startCommand(const PlatformPaths& platform);
std::string stopCommand(const PlatformPaths& platform);
// Prints "YES" when launchd lists the job, loaded whether or not its process runs.
std::string jobProbeCommand();

// "/bin/sh", "-c" and the command text.
std::vector<std::string> shellCommandArguments(std::string commandText);

// Each runs its command through the runner; what the command printed is not looked at.
void runStartCommand(CommandRunner& runner, const PlatformPaths& platform);
void runStopCommand(CommandRunner& runner, const PlatformPaths& platform);
// Whether the job probe printed anything at all.
bool isJobLoaded(CommandRunner& runner);

} // namespace veltrona
