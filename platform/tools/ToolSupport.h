#pragma once
// What every stand-in tool does first: find the platform root the program handed down.

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

// The root as the program finds it (VELTRONA_PLATFORM_ROOT, else the per-user default). When it
// is refused or is no folder, a line "TOOL: ..." goes to `err` and nothing is returned; the tool
// must then create nothing.
std::optional<std::filesystem::path> toolPlatformRoot(const std::string& toolName, std::ostream& err);

// argv without the program name.
std::vector<std::string> toolArguments(int argc, char** argv);

} // namespace veltrona
