#include "vpnserver/ServerControl.h"

#include "platform/ShellWord.h"

#include <utility>

namespace veltrona {

std::string startCommand(const PlatformPaths& platform)
{
    return "launchctl load -w " + shellWord(platform.map(kJobLink));
}

std::string stopCommand(const PlatformPaths& platform)
{
    return "launchctl unload -w " + shellWord(platform.map(kJobLink));
}

std::string jobProbeCommand()
{
    return "(test `launchctl list | grep com.brantholm.vpn | awk '{print $3}'`) && echo YES";
}

std::vector<std::string> shellCommandArguments(std::string commandText)
{
    return {"/bin/sh", "-c", std::move(commandText)};
}

void runStartCommand(CommandRunner& runner, const PlatformPaths& platform)
{
    runner.setArgs(shellCommandArguments(startCommand(platform)));
    runner.startProcessGetResult();
}

void runStopCommand(CommandRunner& runner, const PlatformPaths& platform)
{
    runner.setArgs(shellCommandArguments(stopCommand(platform)));
    runner.startProcessGetResult();
}

bool isJobLoaded(CommandRunner& runner)
{
    runner.setArgs(shellCommandArguments(jobProbeCommand()));
    return !runner.startProcessGetResult().empty();
}

} // namespace veltrona
