#pragma once
// The whole road to root for integration tests: a fresh emulated Mac with its stand-in tools, a
// resource directory holding the built shellTool and templates, the root handed down through the
// environment, and a TaskWrapper authenticated as the Mac's administrator.

#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "services/TaskWrapper.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempPlatformRoot.h"

#include <filesystem>
#include <optional>
#include <string>

namespace veltrona::test {

class PrivilegedMac {
public:
    // Whether shellTool and the stand-in tools are built; tests skip without them.
    static bool available();

    PrivilegedMac();
    ~PrivilegedMac();
    PrivilegedMac(const PrivilegedMac&) = delete;
    PrivilegedMac& operator=(const PrivilegedMac&) = delete;

    const std::filesystem::path& root() const { return mac_.root(); }
    PlatformPaths paths() const { return mac_.paths(); }
    // The application's resource directory: shellTool and VPNStuff.
    std::string resources() const { return resources_.string(); }
    TaskWrapper& runner() { return runner_; }
    RecordingLog& log() { return log_; }

private:
    TempPlatformRoot mac_{TempPlatformRoot::Tools::Copy};
    std::optional<std::string> savedRootVariable_;
    std::filesystem::path resources_;
    AuthorizationServicesEmulated authorization_{mac_.paths()};
    RecordingLog log_;
    TaskWrapper runner_;
};

} // namespace veltrona::test
