#pragma once
// Files as tests make and compare them: whole contents, byte for byte, and folder listings.

#include <filesystem>
#include <string>
#include <vector>

namespace veltrona::test {

// The empty text when the file is missing or unreadable.
std::string readText(const std::filesystem::path& path);
// Replaces the file's contents with the bytes, making the file and its folders when missing.
void writeText(const std::filesystem::path& path, const std::string& bytes);
// Names in the folder, sorted.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);

} // namespace veltrona::test
