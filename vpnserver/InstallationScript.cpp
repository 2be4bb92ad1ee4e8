#include "vpnserver/InstallationScript.h"

#include "platform/PlatformPaths.h"
#include "platform/ShellWord.h"
#include "services/ResourceFolder.h"

#include <sys/stat.h>

namespace veltrona {

std::string installationScript(const PlatformPaths& paths)
{
    const std::string directory = shellWord(paths.map(kInstallationDirectory));
    const std::string launchDaemons = shellWord(paths.map("/Library/LaunchDaemons/"));
    const std::string configuration = shellWord(paths.map("/Library/Preferences/SystemConfiguration/"));
    const std::string installed = paths.map(kInstallationDirectory);
    return "currentDir=$1\n"
           "\n"
           "cd \"$currentDir\"\n"
           "\n"
           "mkdir -p "
           + directory
           + "\n"
             "cp * "
           + directory
           + "\n"
             "\n"
             "ln -fs "
           + shellWord(installed + "/com.brantholm.vpn.plist") + " " + launchDaemons
           + "\n"
             "\n"
             "ln -fs "
           + shellWord(installed + "/com.apple.RemoteAccessServers.plist") + " " + configuration;
}

std::vector<std::string> installationCommand(const PlatformPaths& paths)
{
    return {"/bin/sh", "-c", installationScript(paths), "", kResourceFolder};
}

bool unixPathExists(const std::string& path)
{
    struct stat status { };
    return ::stat(path.c_str(), &status) == 0;
}

bool installIfMissing(const PlatformPaths& paths, CommandRunner& runner)
{
    if (unixPathExists(paths.map(kInstallationDirectory)))
        return false;
    runner.setArgs(installationCommand(paths));
    runner.startProcessGetResult();
    return true;
}

} // namespace veltrona
