#pragma once
// launchd of the emulated Mac runs what it loads: a job with RunAtLoad gets a supervising process
// in a session of its own that starts the job's program (its path taken inside the platform root),
// starts it again 10 s after it ends while the job asks to be kept alive (OnDemand false or
// KeepAlive true), and stops it on unload (SIGTERM, SIGKILL after 5 s). The supervisor keeps what
// `launchctl list` shows in var/db/com.apple.xpc.launchd/running/LABEL.

#include "platform/PlatformPaths.h"

#include <chrono>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace veltrona {

inline constexpr const char* kLaunchdRunningFolder = "/var/db/com.apple.xpc.launchd/running";
// Where daemons' standard output and error go, as on a Mac.
inline constexpr const char* kSystemLogFile = "/var/log/system.log";

struct LaunchdJobTimings {
    std::chrono::milliseconds restartDelay{10000};
    std::chrono::milliseconds stopGrace{5000};
};

struct LaunchdRunState {
    std::optional<pid_t> programPid; // the job's program, while it runs
    int lastExitStatus = 0;          // as launchctl list shows it: the exit code, or minus the signal
};

class LaunchdJobProcess {
public:
    LaunchdJobProcess(PlatformPaths paths, std::string label, LaunchdJobTimings timings = {});

    // Starts the supervisor and returns at once. False when the program is not in the root (the
    // job then stays loaded with no PID) or no process could be made.
    bool start(const std::vector<std::string>& programArguments, bool keepAlive) const;

    // Stops the supervisor and its program, returning once both have ended; a job that is not
    // running is left alone.
    void stop() const;

    LaunchdRunState state() const;

private:
    std::string runFile() const;
    [[noreturn]] void supervise(const std::string& program, const std::vector<std::string>& arguments,
                                bool keepAlive) const;

    PlatformPaths paths_;
    std::string label_;
    LaunchdJobTimings timings_;
};

} // namespace veltrona
