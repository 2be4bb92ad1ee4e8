#pragma once
// A CommandRunner for tests that really runs the vector (no privileges, no shellTool) with a
// PATH whose first folder holds the test's stand-ins, and records every vector it ran.

#include "services/CommandRunner.h"

#include <string>
#include <utility>
#include <vector>

namespace veltrona::test {

class ShellRunner : public CommandRunner {
public:
    explicit ShellRunner(std::string firstPathFolder) : firstPathFolder_(std::move(firstPathFolder)) { }

    void setArgs(std::vector<std::string> arguments) override { held_ = std::move(arguments); }
    // Standard output less its last character, as the real runner gives it.
    std::string startProcessGetResult() override;

    const std::vector<std::vector<std::string>>& runs() const { return runs_; }
    // A variable the commands get on top of the test's own environment.
    void setEnvironment(std::string name, std::string value)
    {
        environment_.emplace_back(std::move(name), std::move(value));
    }

private:
    std::string firstPathFolder_;
    std::vector<std::pair<std::string, std::string>> environment_;
    std::vector<std::string> held_;
    std::vector<std::vector<std::string>> runs_;
};

} // namespace veltrona::test
