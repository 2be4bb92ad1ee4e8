// The stand-in launchctl acts on the platform root the program uses.

#include "platform/PlatformRoot.h"
#include "platform/tools/launchctlCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    const veltrona::ResolvedRoot resolved = veltrona::resolvePlatformRoot();
    if (!resolved.status) {
        std::cerr << "launchctl: " << resolved.status.message() << "\n";
        return 1;
    }
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const int status = veltrona::runLaunchctl(arguments, veltrona::PlatformPaths(resolved.root), std::cout, std::cerr);
    std::cout.flush();
    return status;
}
