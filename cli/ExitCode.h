#pragma once
// What veltronactl's exit status says, and a failure on its way to the user.

#include <string>

namespace veltrona::cli {

enum ExitCode : int {
    kDone = 0,
    kRefused = 1,       // bad input, or refused with the window's message
    kNotAuthorized = 2, // no administrator, a wrong password, or not an administrator
    kPlatformFailed = 3 // the emulated Mac, a tool or a file failed
};

struct Failure {
    ExitCode code = kRefused;
    std::string message;
};

} // namespace veltrona::cli
