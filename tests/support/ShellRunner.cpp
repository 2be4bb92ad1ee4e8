#include "tests/support/ShellRunner.h"

#include "tests/support/ProcessRun.h"

#include <map>

namespace veltrona::test {

std::string ShellRunner::startProcessGetResult()
{
    runs_.push_back(held_);
    if (held_.empty())
        return {};
    std::map<std::string, std::string> environment{{"PATH", firstPathFolder_ + ":/usr/bin:/bin"}};
    for (const auto& [name, value] : environment_)
        environment[name] = value;
    std::string output =
        runProgram(held_.front(), std::vector<std::string>(held_.begin() + 1, held_.end()), environment).out;
    if (!output.empty())
        output.pop_back();
    return output;
}

} // namespace veltrona::test
