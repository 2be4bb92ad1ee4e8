#pragma once
// The stand-in launchctl: load [-wF] PATH..., unload [-w] PATH..., list. Prints what the Mac's
// launchctl prints; load and unload exit 0 even when they fail, as the real ones do.

#include "platform/PlatformPaths.h"

#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

// `arguments` excludes the program name.
int runLaunchctl(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                 std::ostream& err);

} // namespace veltrona
