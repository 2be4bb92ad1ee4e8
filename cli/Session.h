#pragma once
// One run of veltronactl on one emulated Mac: the platform root and its services, the resource
// directory, and the runner once the administrator is authenticated.

#include "cli/CliOptions.h"
#include "cli/ExitCode.h"
#include "cli/InputLines.h"
#include "platform/PlatformBackend.h"
#include "services/TaskWrapper.h"
#include "vpnserver/RunFolder.h"
#include "vpnserver/ServerFileLocations.h"

#include <memory>
#include <optional>
#include <string>

namespace veltrona::cli {

// Where the administrator's password may come from, before standard input.
inline constexpr const char* kAdminPasswordVariable = "VELTRONA_ADMIN_PASSWORD";

class Session {
public:
    // Resolves the root as the window does (--platform-root, then VELTRONA_PLATFORM_ROOT, then the
    // per-user one) and puts it into the environment for shellTool and the stand-in tools. A root
    // refused as a place is bad input (1); a folder without an emulated Mac, or a missing
    // shellTool, is the platform failing (3).
    static std::unique_ptr<Session> open(const CliOptions& options, Failure& failure);

    // The administrator named by --admin, else the current user's full name (as the window fills
    // its field), with the password from VELTRONA_ADMIN_PASSWORD, else the one the window
    // remembered in the keychain, else the next line of input. Exit code 2 when none of them
    // authenticates an administrator; nothing has run then.
    std::optional<Failure> authenticate(const CliOptions& options, InputLines& input);

    const PlatformPaths& paths() const { return paths_; }
    PlatformBackend& platform() { return platform_; }
    SystemLog& log() { return *platform_.log; }
    TaskWrapper& runner() { return *runner_; }
    const std::string& resourceDirectory() const { return resourceDirectory_; }
    // The server files' places, their temporary copies in a run folder inside the root.
    const ServerFileLocations& locations();

private:
    Session(PlatformPaths paths, std::string resourceDirectory);
    bool tryPassword(const std::string& name, const std::string& password);

    PlatformPaths paths_;
    PlatformBackend platform_;
    std::string resourceDirectory_;
    std::unique_ptr<TaskWrapper> runner_;
    std::optional<RunFolder> runFolder_;
    std::optional<ServerFileLocations> locations_;
};

} // namespace veltrona::cli
