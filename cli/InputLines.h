#pragma once
// Lines of standard input, one secret at a time: the administrator's password, a new password and
// its repetition, a shared secret. On a terminal each is asked for with a prompt, without echo.

#include <optional>
#include <string>

namespace veltrona::cli {

class InputLines {
public:
    // The next line without its line end; nothing at the end of the input.
    std::optional<std::string> next(const char* prompt);
    // Whether input comes from a terminal (then a missing repetition is asked for, not assumed).
    static bool fromTerminal();
};

} // namespace veltrona::cli
