#pragma once
// One check of the server's setup before it starts: its name, its result and, unless it passed,
// one plain sentence saying what is wrong and how to put it right.

#include <string>
#include <string_view>

namespace veltrona {

enum class CheckResult { Pass, Warn, Fail };

struct SetupCheck {
    std::string name;
    CheckResult result = CheckResult::Pass;
    // What was found when it passed; otherwise how to fix it.
    std::string message;

    bool operator==(const SetupCheck&) const = default;
};

// "passed", "warning" or "failed".
std::string_view resultText(CheckResult result);

} // namespace veltrona
