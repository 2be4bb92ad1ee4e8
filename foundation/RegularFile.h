#pragma once
// Reading a file whole, only when it is a regular file: a FIFO, device or folder in its place is
// refused at once instead of blocking the reader or feeding it without end.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace veltrona {

// The file's bytes; nothing when it is missing, no regular file, larger than `limit` or unreadable.
std::optional<std::string> readRegularFile(const std::filesystem::path& path, std::size_t limit);

// The same for `name` in the folder open as `folder` (openat), so a long path is walked once.
std::optional<std::string> readRegularFileAt(int folder, const char* name, std::size_t limit);

} // namespace veltrona
