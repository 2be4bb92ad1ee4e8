#pragma once
// The sub-commands of veltrona-platform. Adding one: a function here, its own source file,
// and one line in the table of PlatformMain.cpp.

#include <iosfwd>
#include <string>
#include <vector>

namespace veltrona {

// Each gets the arguments after its name and returns the exit status.
using PlatformCommandFunction = int (*)(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
                                        std::ostream& err);

struct PlatformCommand {
    const char* name;
    const char* usage;
    PlatformCommandFunction run;
};

int runInitCommand(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err);
int runToolsCommand(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out, std::ostream& err);

} // namespace veltrona
