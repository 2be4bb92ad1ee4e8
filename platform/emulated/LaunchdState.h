#pragma once
// launchd of the emulated Mac: which jobs are loaded and the -w overrides, kept in the root's
// var/db/com.apple.xpc.launchd/ as loaded.plist (label -> {Path, ProgramArguments}) and
// disabled.plist (label -> boolean, true = disabled). Running the jobs is LaunchdJobProcess's.

#include "foundation/PlistValue.h"
#include "platform/PlatformPaths.h"

#include <optional>
#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kLaunchdStateFolder = "/var/db/com.apple.xpc.launchd";
inline constexpr const char* kLaunchdDisabledFile = "/var/db/com.apple.xpc.launchd/disabled.plist";
inline constexpr const char* kLaunchdLoadedFile = "/var/db/com.apple.xpc.launchd/loaded.plist";

struct LaunchdJob {
    std::string label;
    std::string path; // the job file as a platform path
    std::vector<std::string> programArguments;
    bool disabledByJob = false; // the job file's own Disabled key
    bool runAtLoad = false;     // RunAtLoad, or KeepAlive true
    bool keepAlive = false;     // OnDemand false, or KeepAlive true: started again when it ends
};

enum class LaunchdOutcome {
    Done,
    NoSuchFile, // the job file is missing
    InvalidJob, // the job file is no job: unreadable, malformed, no usable Label
    AlreadyLoaded,
    NotLoaded,
    Disabled,        // a load without -w of a disabled job
    StateUnreadable, // loaded.plist or disabled.plist is corrupt; nothing was changed
    StateUnwritable,
};

class LaunchdState {
public:
    explicit LaunchdState(PlatformPaths paths);

    // `jobFile` is a path on this machine inside the root; `job`, when given, receives the job
    // as read from it.
    LaunchdOutcome load(const std::string& jobFile, bool writeOverride, bool force, LaunchdJob* job = nullptr);
    LaunchdOutcome unload(const std::string& jobFile, bool writeOverride, LaunchdJob* job = nullptr);

    // Loaded jobs sorted by label; nothing when the state file is corrupt.
    std::optional<std::vector<LaunchdJob>> loadedJobs() const;
    // The -w overrides; nothing when the file is corrupt.
    std::optional<PlistDictionary> disabledOverrides() const;

    // Reads a job file: its label and program arguments.
    std::optional<LaunchdJob> readJob(const std::string& jobFile, LaunchdOutcome& failure) const;

private:
    PlatformPaths paths_;
};

} // namespace veltrona
