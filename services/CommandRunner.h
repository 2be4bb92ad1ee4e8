#pragma once
// The road to root as its callers see it: set an argument vector, run it, read what it printed.

#include <string>
#include <vector>

namespace veltrona {

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // Holds the argument vector of the next run, replacing the earlier one.
    virtual void setArgs(std::vector<std::string> arguments) = 0;
    // Runs the held vector as root; returns its output less the last character, or "".
    virtual std::string startProcessGetResult() = 0;
};

} // namespace veltrona
