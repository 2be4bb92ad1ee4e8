#pragma once
// The system log as NSLog writes it: one line on standard error,
// "YYYY-MM-DD HH:MM:SS.mmm PROCESS[PID:TID] message".

#include <string_view>

namespace veltrona {

class SystemLog {
public:
    virtual ~SystemLog() = default;
    virtual void log(std::string_view message) = 0;
};

} // namespace veltrona
