// The stand-in vpnd, started by the emulated launchd from the job the program installs.

#include "platform/emulated/SystemLogStderr.h"
#include "platform/tools/ToolSupport.h"
#include "platform/vpnd/VpndDaemon.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::optional<std::filesystem::path> root = veltrona::toolPlatformRoot("vpnd", std::cerr);
    if (!root)
        return 1;
    veltrona::SystemLogStderr log("vpnd");
    return veltrona::runVpnd(veltrona::toolArguments(argc, argv), veltrona::PlatformPaths(*root), log);
}
