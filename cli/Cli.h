#pragma once
// veltronactl from its arguments to its exit status.

#include <string>
#include <vector>

namespace veltrona::cli {

// Parses, checks the command's shape, opens the session, authenticates and runs the command;
// prints its text (or with --json one JSON object) and returns the exit code.
int runCli(const std::vector<std::string>& arguments);

} // namespace veltrona::cli
