#pragma once
// Replacing a file's content in one step, so that a reader sees the old file or the new one.

#include "foundation/Status.h"

#include <filesystem>
#include <string_view>

namespace veltrona {

// Writes the bytes to a side file in the target's folder, flushes it to disk and renames it over
// the target. A symbolic link is written through to the file it points at. The target keeps its
// permission bits; a new file gets 0644. On failure the old file stays and no side file is left.
Status writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

} // namespace veltrona
