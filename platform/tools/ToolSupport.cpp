#include "platform/tools/ToolSupport.h"

#include "platform/PlatformRoot.h"

namespace veltrona {

std::optional<std::filesystem::path> toolPlatformRoot(const std::string& toolName, std::ostream& err)
{
    ResolvedRoot resolved = resolvePlatformRoot();
    if (!resolved.status.ok()) {
        err << toolName << ": " << resolved.status.message() << "\n";
        return std::nullopt;
    }
    // A folder that is no emulated Mac is refused rather than given pieces of one.
    if (!isPlatformRoot(resolved.root)) {
        err << toolName << ": there is no platform root at " << resolved.root.string()
            << " (veltrona-platform init makes one).\n";
        return std::nullopt;
    }
    return resolved.root;
}

std::vector<std::string> toolArguments(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

} // namespace veltrona
