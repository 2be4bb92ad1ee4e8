#pragma once
// A system log that keeps its lines for the test to read.

#include "platform/SystemLog.h"

#include <string>
#include <string_view>
#include <vector>

namespace veltrona::test {

class RecordingLog : public SystemLog {
public:
    void log(std::string_view message) override { lines.emplace_back(message); }
    std::vector<std::string> lines;
};

} // namespace veltrona::test
