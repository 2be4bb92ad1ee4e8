#include "app/InstallationScript.h"

#include "platform/PlatformPaths.h"

#include <string_view>

namespace veltrona {

namespace {

std::string asShellWord(std::string_view text)
{
    constexpr std::string_view plain =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789/._-+:,@%=";
    if (!text.empty() && text.find_first_not_of(plain) == std::string_view::npos)
        return std::string(text);
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

} // namespace

std::string installationScript(const PlatformPaths& paths)
{
    const std::string directory = asShellWord(paths.map(kInstallationDirectory));
    const std::string launchDaemons = asShellWord(paths.map("/Library/LaunchDaemons/"));
    const std::string configuration = asShellWord(paths.map("/Library/Preferences/SystemConfiguration/"));
    const std::string installed = paths.map(kInstallationDirectory);
    return "currentDir=$1\n"
           "\n"
           "cd \"$currentDir\"\n"
           "\n"
           "mkdir -p " + directory + "\n"
           "cp * " + directory + "\n"
           "\n"
           "ln -fs " + asShellWord(installed + "/com.brantholm.vpn.plist") + " " + launchDaemons + "\n"
           "\n"
           "ln -fs " + asShellWord(installed + "/com.apple.RemoteAccessServers.plist") + " " + configuration;
}

std::vector<std::string> installationCommand(const PlatformPaths& paths)
{
    return {"/bin/sh", "-c", installationScript(paths), "", kResourceFolder};
}

} // namespace veltrona
