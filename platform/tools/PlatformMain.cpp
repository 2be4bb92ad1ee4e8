// veltrona-platform: makes and maintains emulated Macs (platform roots).

#include "platform/tools/NetworkCommand.h"
#include "platform/tools/PlatformCommands.h"

#include <array>
#include <iostream>
#include <string_view>

namespace {

constexpr std::array<veltrona::PlatformCommand, 3> kCommands{{
    {"init",
     "init DIR --admin NAME [--full-name TEXT] [--os-version 10.11.6] [--build 15G31]  (password on standard input)",
     veltrona::runInitCommand},
    {"tools", "tools DIR  (copies the stand-in tools into an existing root)", veltrona::runToolsCommand},
    {"network", "network DIR [--interface NAME [--address A]...] [--dns D]... | [--offline]",
     [](const std::vector<std::string>& arguments, std::istream&, std::ostream& out, std::ostream& err) {
         return veltrona::runNetworkCommand(arguments, out, err);
     }},
}};

int usage(std::ostream& err)
{
    err << "usage:\n";
    for (const veltrona::PlatformCommand& command : kCommands)
        err << "  veltrona-platform " << command.usage << "\n";
    return 64;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return usage(std::cerr);
    const std::string_view name = argv[1];
    for (const veltrona::PlatformCommand& command : kCommands) {
        if (name == command.name)
            return command.run(std::vector<std::string>(argv + 2, argv + argc), std::cin, std::cout, std::cerr);
    }
    std::cerr << "veltrona-platform: unknown command \"" << name << "\"\n";
    return usage(std::cerr);
}
