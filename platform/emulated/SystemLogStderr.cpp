#include "platform/emulated/SystemLogStderr.h"

#include <cstdio>
#include <ctime>
#include <sys/syscall.h>
#include <unistd.h>

namespace veltrona {

SystemLogStderr::SystemLogStderr(std::string processName, int fd) : processName_(std::move(processName)), fd_(fd)
{
}

std::string SystemLogStderr::formatLine(std::string_view message, std::chrono::system_clock::time_point when) const
{
    const auto sinceEpoch = when.time_since_epoch();
    const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
    std::tm local{};
    ::localtime_r(&seconds, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    char prefix[96];
    std::snprintf(prefix, sizeof prefix, "%s.%03d ", stamp, static_cast<int>(millis < 0 ? millis + 1000 : millis));
    const long thread = ::syscall(SYS_gettid);
    std::string line = prefix + processName_ + "[" + std::to_string(::getpid()) + ":" + std::to_string(thread) + "] ";
    line.append(message);
    line += '\n';
    return line;
}

void SystemLogStderr::log(std::string_view message)
{
    const std::string line = formatLine(message, std::chrono::system_clock::now());
    // One write, so lines of several processes sharing the stream do not interleave.
    std::size_t done = 0;
    while (done < line.size()) {
        const ssize_t n = ::write(fd_, line.data() + done, line.size() - done);
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

} // namespace veltrona
