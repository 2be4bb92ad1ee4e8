#pragma once
// Process information of the emulated Mac: the OS version from the root's SystemVersion.plist,
// the current user from the login window's preferences and the local directory.

#include "platform/PlatformPaths.h"
#include "platform/ProcessInfo.h"

#include "foundation/Status.h"

#include <filesystem>
#include <string>

namespace veltrona {

// The emulated current user is the login window's last user, as a Mac records it in
// Library/Preferences/com.apple.loginwindow.plist (key lastUserName).
std::filesystem::path loginWindowPreferencesFile(const std::filesystem::path& platformRoot);
Status recordCurrentUser(const std::filesystem::path& platformRoot, const std::string& userName);

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
