#include "cli/InputLines.h"

#include <cstdio>
#include <iostream>
#include <termios.h>
#include <unistd.h>

namespace veltrona::cli {

namespace {

// Turns echo off for as long as it lives.
class NoEcho {
public:
    NoEcho()
    {
        if (::tcgetattr(STDIN_FILENO, &saved_) != 0)
            return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~NoEcho()
    {
        if (active_) {
            ::tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
            std::fputs("\n", stderr);
        }
    }
    NoEcho(const NoEcho&) = delete;
    NoEcho& operator=(const NoEcho&) = delete;

private:
    termios saved_{};
    bool active_ = false;
};

} // namespace

bool InputLines::fromTerminal()
{
    return ::isatty(STDIN_FILENO) == 1;
}

std::optional<std::string> InputLines::next(const char* prompt)
{
    std::string line;
    if (fromTerminal()) {
        std::fputs(prompt, stderr);
        std::fflush(stderr);
        NoEcho quiet;
        if (!std::getline(std::cin, line))
            return std::nullopt;
    } else if (!std::getline(std::cin, line)) {
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace veltrona::cli
