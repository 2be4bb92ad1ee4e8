#include "tests/support/RecordingRunner.h"

#include <utility>

namespace veltrona::test {

void RecordingRunner::setArgs(Arguments arguments)
{
    held_ = std::move(arguments);
    ++setArgsCount_;
    timeLimit_.reset();
}

std::string RecordingRunner::startProcessGetResult()
{
    runs_.push_back(held_);
    if (handler_) {
        if (std::optional<std::string> answer = handler_(held_))
            return *answer;
    }
    if (queued_.empty())
        return {};
    std::string answer = std::move(queued_.front());
    queued_.pop_front();
    return answer;
}

void RecordingRunner::queueResult(std::string result)
{
    queued_.push_back(std::move(result));
}

std::vector<std::string> RecordingRunner::scripts() const
{
    std::vector<std::string> texts;
    for (const Arguments& run : runs_) {
        if (run.size() >= 3 && run[0] == "/bin/sh" && run[1] == "-c")
            texts.push_back(run[2]);
    }
    return texts;
}

void RecordingRunner::clear()
{
    held_.clear();
    runs_.clear();
    queued_.clear();
    handler_ = nullptr;
    setArgsCount_ = 0;
}

} // namespace veltrona::test
