#pragma once
// Finding the platform root the program and every stand-in tool act on.

#include "foundation/Status.h"

#include <filesystem>
#include <optional>
#include <string>

namespace veltrona {

// The environment variable through which the program hands its root to shellTool and the tools.
inline constexpr const char* kPlatformRootVariable = "VELTRONA_PLATFORM_ROOT";

// Where a folder holds an emulated Mac: its system version file, a platform path.
inline constexpr const char* kSystemVersionFile = "/System/Library/CoreServices/SystemVersion.plist";

// The per-user default root: $XDG_DATA_HOME/veltrona/platform, else ~/.local/share/veltrona/platform.
// Nothing when neither names an absolute folder: there is no safe place to guess.
std::optional<std::filesystem::path> defaultPlatformRoot();

// Whether the folder holds an emulated Mac (its system version file, a regular file).
bool isPlatformRoot(const std::filesystem::path& root);

// An explicit choice (--platform-root) wins, then VELTRONA_PLATFORM_ROOT, then the default.
// The result is absolute, with symbolic links and "."/".." resolved; a root that is empty or
// resolves to "/", one whose path holds ":" (it would split PATH), and no root at all when there
// is no default are refused with a message.
struct ResolvedRoot {
    std::filesystem::path root;
    Status status;
};
ResolvedRoot resolvePlatformRoot(const std::optional<std::string>& explicitRoot = std::nullopt);

} // namespace veltrona
