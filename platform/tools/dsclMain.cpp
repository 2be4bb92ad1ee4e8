// The dscl stand-in: acts on the local directory node of the platform root.

#include "platform/tools/ToolSupport.h"
#include "platform/tools/dsclRun.h"

#include <iostream>

int main(int argc, char** argv)
{
    std::optional<std::filesystem::path> root = veltrona::toolPlatformRoot("dscl", std::cerr);
    if (!root)
        return 1;
    const int status = veltrona::runDscl(veltrona::toolArguments(argc, argv), *root, std::cout, std::cerr);
    std::cout.flush();
    return status;
}
