#pragma once
// The operating-system version gate: the program runs on OS X 10.11 (El Capitan) only.

#include <string_view>

namespace veltrona {

// For "Version 10.11.6 (Build 15G31)": the second blank-separated piece's first two dotted
// pieces, joined ("1011"), must read as 1011. A string lacking those pieces fails.
bool versionGatePasses(std::string_view operatingSystemVersionString);

} // namespace veltrona
