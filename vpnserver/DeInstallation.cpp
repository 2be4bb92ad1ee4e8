#include "vpnserver/DeInstallation.h"

#include "platform/ShellWord.h"

#include "vpnserver/ServerControl.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/SharedSecret.h"
#include <filesystem>
#include <system_error>

namespace veltrona {

AlertText deInstallConfirmation()
{
    return {"Are you sure you want to de-install Veltrona?",
            "This will halt the VPN Server, if it is running, and remove all the files installed by Veltrona.",
            {"De-Install", "Cancel"}};
}

std::string deInstallationScript(const PlatformPaths& platform)
{
    const std::string launchctl = shellWord(platform.map("/bin/launchctl"));
    // The job name follows the folder unquoted, so that the shell still expands $i.
    const std::string jobFolder = shellWord(platform.map("/Library/LaunchDaemons/"));
    return "for i in vpn\n"
           "\n"
           "do \n"
           "\n"
           "(test `"
           + launchctl + " list | grep com.brantholm.$i | awk '{print $3}'`) && " + launchctl + " unload -w "
           + jobFolder
           + "com.brantholm.$i.plist\n"
             "\n"
             "rm "
           + jobFolder
           + "com.brantholm.$i.plist\n"
             "\n"
             "done\n"
             "\n"
             "rm -r "
           + shellWord(platform.map(kInstallationDirectory));
}

std::vector<std::string> configurationLinkRemovalArguments(const PlatformPaths& platform)
{
    // readlink prints nothing for a file that is no link, and its target as written for one;
    // installation writes the directory's absolute path there.
    const char* script = "case \"$(readlink \"$1\")\" in\n"
                         "\"$2\"/*) rm \"$1\" ;;\n"
                         "esac";
    return {"/bin/sh", "-c", script, "", platform.map(kConfigurationLink), platform.map(kInstallationDirectory)};
}

AlertText deInstallFailure(const Status& failure)
{
    return {"Veltrona could not be de-installed", failure.message(), {"OK"}};
}

Status deInstall(CommandRunner& runner, const PlatformPaths& platform)
{
    if (isJobLoaded(runner)) {
        runStopCommand(runner, platform);
        if (isJobLoaded(runner))
            return Status::failure(3, kDeInstallJobStillLoaded);
    }
    runner.setArgs(shellCommandArguments(deInstallationScript(platform)));
    runner.startProcessGetResult();
    runner.setArgs(deleteSharedSecretCommand(platform));
    runner.startProcessGetResult();
    runner.setArgs(configurationLinkRemovalArguments(platform));
    runner.startProcessGetResult();

    std::error_code error;
    const bool filesLeft = std::filesystem::exists(platform.map(kInstallationDirectory), error)
                           || std::filesystem::exists(std::filesystem::symlink_status(platform.map(kJobLink), error));
    if (filesLeft)
        return Status::failure(3, kDeInstallFilesLeft);
    if (!storedSharedSecret(platform, runner).empty())
        return Status::failure(3, kDeInstallSecretLeft);
    return Status::success();
}

} // namespace veltrona
