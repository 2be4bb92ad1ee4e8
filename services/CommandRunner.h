#pragma once
// The road to root as its callers see it: set an argument vector, run it, read what it printed.

#include <chrono>
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
    // How long the runs of the held vector may take; past it the runner ends the command with
    // all it started and gives "". setArgs brings back the runner's default. A runner that runs
    // nothing (a test's recording one) has nothing to end and only notes it.
    virtual void setTimeLimit(std::chrono::milliseconds /*limit*/) { }
};

} // namespace veltrona
