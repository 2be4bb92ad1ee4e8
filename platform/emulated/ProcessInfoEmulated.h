#pragma once
// Process information of the emulated Mac: the OS version from the root's SystemVersion.plist,
// the current user from the login window's preferences and the local directory.

#include "platform/PlatformPaths.h"
#include "platform/ProcessInfo.h"

#include <string>

namespace veltrona {

class ProcessInfoEmulated final : public ProcessInfo {
public:
    // An empty process name means the running executable's file name.
    explicit ProcessInfoEmulated(PlatformPaths paths, std::string processName = {});

    std::string operatingSystemVersionString() const override;
    std::string processName() const override;
    std::string fullUserName() const override;
    std::string userName() const override;
    std::string homeDirectory() const override;

private:
    PlatformPaths paths_;
    std::string processName_;
};

} // namespace veltrona
