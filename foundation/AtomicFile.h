#pragma once
// Replacing a file's content in one step, so that a reader sees the old file or the new one.

#include "foundation/Status.h"

#include <filesystem>
#include <string_view>

namespace veltrona {

// Who may read the file once written: whoever the old file let (0644 for a new file), or its owner
// alone (0600, whatever the old file allowed), for a file that holds a secret.
enum class FileAccess { AsBefore, OwnerOnly };

// Writes the bytes to a side file in the target's folder, flushes it to disk and renames it over
// the target. A symbolic link is written through to the file it points at, but with `within` set
// only while the file written, links and folders resolved, lies inside that folder: a link never
// leads a write out of it. On failure the old file stays and no side file is left.
Status writeFileAtomically(const std::filesystem::path& path, std::string_view bytes,
                           FileAccess access = FileAccess::AsBefore, const std::filesystem::path& within = {});

// Whether the path, links and dots resolved as far as it exists, lies inside the folder.
bool liesWithin(const std::filesystem::path& path, const std::filesystem::path& folder);

// chmod that never follows a symbolic link: a link in the path's place is refused.
Status setModeNotFollowingLinks(const std::filesystem::path& path, unsigned mode);

} // namespace veltrona
