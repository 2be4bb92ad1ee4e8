#pragma once
// Runs a program as a child process, no shell between, and collects what it printed.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace veltrona::test {

struct ProcessRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs `program` (a path, or a name looked up on PATH) with the arguments, in `workingDirectory`
// (the test's own when empty), with the parent's environment changed by `environment` (an empty
// value removes the variable), and `input` (at most a pipe's worth) on its standard input. A
// program that cannot start exits 127.
ProcessRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const std::map<std::string, std::string>& environment = {},
                      const std::filesystem::path& workingDirectory = {}, const std::string& input = {});

// Whether a program of that name is on PATH.
bool programAvailable(const std::string& name);

} // namespace veltrona::test
