// The sudo stand-in: the tools already run as the platform's root, so sudo only runs the rest of
// its arguments, unchanged, in place of itself.

#include "platform/tools/sudoArguments.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    veltrona::SudoCommand command = veltrona::parseSudoArguments(veltrona::sudoArgumentList(argc, argv));
    if (!command.error.empty()) {
        std::cerr << command.error << veltrona::kSudoUsage;
        return 1;
    }
    std::vector<char*> arguments;
    for (int i = command.commandIndex + 1; i < argc; ++i)
        arguments.push_back(argv[i]);
    arguments.push_back(nullptr);
    ::execvp(arguments.front(), arguments.data());
    const int error = errno;
    if (error == ENOENT)
        std::cerr << "sudo: " << arguments.front() << ": command not found\n";
    else
        std::cerr << "sudo: " << arguments.front() << ": " << std::strerror(error) << "\n";
    return 1;
}
