#pragma once
// Small file and process helpers for the foundation tests.

#include "tests/support/FileText.h"

#include <filesystem>
#include <string>
#include <vector>

namespace veltrona::test {

void writeText(const std::filesystem::path& path, const std::string& bytes);
// Names in the folder, sorted.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);
// Runs a program found on PATH with the arguments, no shell between; its exit status, or -1.
int runProgram(const std::vector<std::string>& arguments);
bool programAvailable(const std::string& name);

} // namespace veltrona::test
