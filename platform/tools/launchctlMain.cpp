// The stand-in launchctl acts on the platform root the program uses.

#include "platform/tools/ToolSupport.h"
#include "platform/tools/launchctlCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    // A root that does not exist is refused rather than made piecemeal by the first write.
    const std::optional<std::filesystem::path> root = veltrona::toolPlatformRoot("launchctl", std::cerr);
    if (!root)
        return 1;
    const std::vector<std::string> arguments = veltrona::toolArguments(argc, argv);
    const int status = veltrona::runLaunchctl(arguments, veltrona::PlatformPaths(*root), std::cout, std::cerr);
    std::cout.flush();
    return status;
}
