#pragma once
// A CommandRunner for tests: records every argument vector it is asked to run and answers from a
// queue (or a handler), so command texts can be compared whole without running anything.

#include "services/CommandRunner.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace veltrona::test {

class RecordingRunner : public CommandRunner {
public:
    using Arguments = std::vector<std::string>;
    // Consulted before the queue; returning nothing falls through to the queue.
    using Handler = std::function<std::optional<std::string>(const Arguments&)>;

    void setArgs(Arguments arguments) override;
    // Records the held vector and returns the next queued answer, or "" when none is queued.
    std::string startProcessGetResult() override;
    // Noted with the vector it was set for; setArgs forgets it, as the real runner does.
    void setTimeLimit(std::chrono::milliseconds limit) override { timeLimit_ = limit; }
    std::optional<std::chrono::milliseconds> timeLimit() const { return timeLimit_; }

    // Answers are handed out in the order queued, one per run.
    void queueResult(std::string result);
    void setHandler(Handler handler) { handler_ = std::move(handler); }

    // Every vector run so far, in order (a vector run twice appears twice).
    const std::vector<Arguments>& runs() const { return runs_; }
    const Arguments& heldArgs() const { return held_; }
    std::size_t setArgsCount() const { return setArgsCount_; }
    std::size_t pendingResults() const { return queued_.size(); }
    // The script texts (third element of "/bin/sh", "-c", script ...) of every shell-form run.
    std::vector<std::string> scripts() const;
    void clear();

private:
    Arguments held_;
    std::vector<Arguments> runs_;
    std::deque<std::string> queued_;
    Handler handler_;
    std::size_t setArgsCount_ = 0;
    std::optional<std::chrono::milliseconds> timeLimit_;
};

} // namespace veltrona::test
