#pragma once
// sudo's options: those that change nothing here are accepted; any other is an error.

#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kSudoUsage = "usage: sudo [-EHnS] [-u user] [--] command [arg ...]\n";

struct SudoCommand {
    int commandIndex = -1; // index of the command in the argument list (argv without argv[0])
    std::string error;     // empty when the command may run
};

// argv without the program name.
std::vector<std::string> sudoArgumentList(int argc, char** argv);

SudoCommand parseSudoArguments(const std::vector<std::string>& arguments);

} // namespace veltrona
