#pragma once
// A file's whole contents, byte for byte, for comparing what a test left on disk.

#include <filesystem>
#include <string>

namespace veltrona::test {

// The empty text when the file is missing or unreadable.
std::string readText(const std::filesystem::path& path);

} // namespace veltrona::test
