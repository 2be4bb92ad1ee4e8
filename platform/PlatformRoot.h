#pragma once
// Finding the platform root the program and every stand-in tool act on.

#include "foundation/Status.h"

#include <filesystem>
#include <optional>
#include <string>

namespace veltrona {

// The environment variable through which the program hands its root to shellTool and the tools.
inline constexpr const char* kPlatformRootVariable = "VELTRONA_PLATFORM_ROOT";

// The per-user default root: $XDG_DATA_HOME/veltrona/platform, else ~/.local/share/veltrona/platform.
std::filesystem::path defaultPlatformRoot();

// An explicit choice (--platform-root) wins, then VELTRONA_PLATFORM_ROOT, then the default.
// The result is absolute; an empty root or "/" is refused with a message.
struct ResolvedRoot {
    std::filesystem::path root;
    Status status;
};
ResolvedRoot resolvePlatformRoot(const std::optional<std::string>& explicitRoot = std::nullopt);

} // namespace veltrona
