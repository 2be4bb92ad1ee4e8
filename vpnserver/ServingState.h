#pragma once
// Whether the server really serves, as a Mac shows it: the job's process in `launchctl list`,
// and the last word that process wrote about serving in the system log.

#include "platform/PlatformPaths.h"
#include "services/CommandRunner.h"

#include <string>
#include <string_view>

namespace veltrona {

inline constexpr const char* kSystemLog = "/var/log/system.log";

struct ServingState {
    bool serving = false;
    std::string detail; // "L2TP/IPsec on UDP 500, 4500", or why not
    // "yes (detail)" or "no (detail)".
    std::string text() const { return (serving ? "yes (" : "no (") + detail + ")"; }
};

// Prints the job's PID as launchd lists it ("-" while no process runs), nothing when not loaded.
std::string jobPidCommand();

// From the PID text and the system log's last lines: what vpnd of that PID said last.
ServingState servingFromLog(std::string_view pidText, std::string_view systemLog);

ServingState servingState(CommandRunner& runner, const PlatformPaths& platform);

} // namespace veltrona
