#include "platform/emulated/ProcessStartTime.h"

#include "foundation/RegularFile.h"

#include <algorithm>
#include <charconv>
#include <string>
#include <string_view>

namespace veltrona {

std::optional<std::uint64_t> processStartTime(pid_t pid)
{
    if (pid <= 0)
        return std::nullopt;
    const std::optional<std::string> stat = readRegularFile("/proc/" + std::to_string(pid) + "/stat", 4096);
    if (!stat)
        return std::nullopt;
    // The command name in parentheses may hold blanks and parentheses: fields follow the last ')'.
    const std::size_t close = stat->rfind(')');
    if (close == std::string::npos)
        return std::nullopt;
    std::string_view rest = std::string_view(*stat).substr(close + 1);
    // After the name: state is field 3, starttime field 22.
    std::string_view field;
    for (int index = 3; index <= 22; ++index) {
        const std::size_t start = rest.find_first_not_of(' ');
        if (start == std::string_view::npos)
            return std::nullopt;
        rest.remove_prefix(start);
        const std::size_t end = std::min(rest.find(' '), rest.size());
        field = rest.substr(0, end);
        rest.remove_prefix(end);
        // A zombie has ended; only its parent's wait is missing, and it may never come.
        if (index == 3 && (field == "Z" || field == "X"))
            return std::nullopt;
    }
    std::uint64_t ticks = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), ticks);
    if (error != std::errc() || end != field.data() + field.size())
        return std::nullopt;
    return ticks;
}

} // namespace veltrona
