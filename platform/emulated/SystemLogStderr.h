#pragma once
// The system log as NSLog writes it on a terminal: one line on standard error (or another
// descriptor), "YYYY-MM-DD HH:MM:SS.mmm PROCESS[PID:TID] message", local time.

#include "platform/SystemLog.h"

#include <chrono>
#include <string>

namespace veltrona {

class SystemLogStderr final : public SystemLog {
public:
    explicit SystemLogStderr(std::string processName, int fd = 2);
    void log(std::string_view message) override;

    // The line for a message at a given time, with its line break.
    std::string formatLine(std::string_view message, std::chrono::system_clock::time_point when) const;

private:
    std::string processName_;
    int fd_;
};

} // namespace veltrona
