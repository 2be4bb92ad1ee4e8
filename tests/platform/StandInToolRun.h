#pragma once
// Runs a stand-in tool (or /bin/sh) as a child process and collects what it printed.

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace veltrona::test {

struct ToolRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
};

// Runs `program` with the arguments in `workingDirectory`, with the parent's environment changed
// by `environment` (an empty value removes the variable).
ToolRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment,
                   const std::filesystem::path& workingDirectory);

} // namespace veltrona::test
