// The stand-in chown acts on the platform root the program uses.

#include "platform/tools/ToolSupport.h"
#include "platform/tools/chownCommand.h"

#include <iostream>

int main(int argc, char** argv)
{
    const std::optional<std::filesystem::path> root = veltrona::toolPlatformRoot("chown", std::cerr);
    if (!root)
        return 1;
    return veltrona::runChown(veltrona::toolArguments(argc, argv), veltrona::PlatformPaths(*root), std::cerr);
}
