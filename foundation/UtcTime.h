#pragma once
// Times as the program writes and reads them: Unix seconds, always in UTC.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

// 2001-01-01 00:00:00 UTC, where property-list dates count from, in Unix time.
inline constexpr std::int64_t kPlistEpochUnixTime = 978307200;

// The time in UTC through strftime's `format`.
std::string utcText(std::int64_t unixTime, const char* format);

// "YYYY-MM-DDTHH:MM:SS" and whatever follows it (fractions, "Z"), read as UTC.
std::optional<std::int64_t> unixTimeOfUtc(std::string_view text);

} // namespace veltrona
