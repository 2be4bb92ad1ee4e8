#pragma once
// A temporary emulated Mac with the stand-in tools and the program's real road to root on it:
// TaskWrapper, authenticated as the root's administrator, starting the built shellTool.

#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "services/TaskWrapper.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempPlatformRoot.h"

#include <string>

namespace veltrona::test {

class PrivilegedRoot {
public:
    // Points this process (and so every tool the runner starts) at the new root.
    PrivilegedRoot();
    ~PrivilegedRoot();
    PrivilegedRoot(const PrivilegedRoot&) = delete;
    PrivilegedRoot& operator=(const PrivilegedRoot&) = delete;

    // Whether the administrator was authenticated; nothing runs otherwise.
    bool ready() const { return ready_; }
    const TempPlatformRoot& platform() const { return platform_; }
    TaskWrapper& runner() { return runner_; }
    RecordingLog& log() { return log_; }

private:
    TempPlatformRoot platform_{TempPlatformRoot::Tools::Copy};
    AuthorizationServicesEmulated authorization_{platform_.paths()};
    RecordingLog log_;
    TaskWrapper runner_;
    bool ready_ = false;
};

} // namespace veltrona::test
