#include "vpnserver/MoveScripts.h"

#include "platform/ShellWord.h"
#include "vpnserver/ServerFileLocations.h"

#include <utility>

namespace veltrona {

namespace {

std::string moveScript(const PlatformPaths& platform, const char* fileName)
{
    const std::string directory = platform.map(kInstallationDirectory);
    return "fileAtPath=$1\n"
           "\n"
           "mv \"$fileAtPath\" "
           + shellWord(directory)
           + "\n"
             "\n"
             "sudo chown root:wheel "
           + shellWord(directory + "/" + fileName);
}

} // namespace

std::string serverFileMoveScript(const PlatformPaths& platform)
{
    return moveScript(platform, kServerFileName);
}

std::string jobFileMoveScript(const PlatformPaths& platform)
{
    return moveScript(platform, kJobFileName);
}

std::vector<std::string> moveScriptArguments(std::string script, std::string filePath)
{
    return {"/bin/sh", "-c", std::move(script), "", std::move(filePath)};
}

} // namespace veltrona
