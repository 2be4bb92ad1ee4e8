// The emulated Mac's `vpnsessions`: who is connected to its VPN server, and ending a session.

#include "platform/tools/ToolSupport.h"
#include "platform/vpnd/VpnSessionsTool.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::optional<std::filesystem::path> root = veltrona::toolPlatformRoot("vpnsessions", std::cerr);
    if (!root)
        return 1;
    return veltrona::runVpnSessions(veltrona::toolArguments(argc, argv), veltrona::PlatformPaths(*root), std::cout,
                                    std::cerr);
}
