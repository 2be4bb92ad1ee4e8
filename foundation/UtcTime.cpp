#include "foundation/UtcTime.h"

#include <ctime>

namespace veltrona {

std::string utcText(std::int64_t unixTime, const char* format)
{
    const std::time_t time = static_cast<std::time_t>(unixTime);
    std::tm parts{};
    gmtime_r(&time, &parts);
    char text[64];
    return std::strftime(text, sizeof(text), format, &parts) ? text : "";
}

std::optional<std::int64_t> unixTimeOfUtc(std::string_view text)
{
    std::tm parts{};
    const std::string head(text.substr(0, 19));
    const char* end = head.size() == 19 ? strptime(head.c_str(), "%Y-%m-%dT%H:%M:%S", &parts) : nullptr;
    if (end == nullptr || *end != '\0')
        return std::nullopt;
    return static_cast<std::int64_t>(timegm(&parts));
}

} // namespace veltrona
