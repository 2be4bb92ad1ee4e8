#pragma once
// The chown stand-in: the platform's scripts give installed files to root:wheel, names Linux does
// not know. It checks the owner and group against the emulated Mac's directory and the files
// against the disk, and answers as the Mac's chown does. Ownership on this machine stays as it
// is: the user running the emulated Mac plays its root.

#include "platform/PlatformPaths.h"

#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kChownUsage = "usage: chown [-fhv] [-R [-H | -L | -P]] owner[:group] file ...\n"
                                           "       chown [-fhv] [-R [-H | -L | -P]] :group file ...\n";

// `arguments` without the program name; the exit status.
int runChown(const std::vector<std::string>& arguments, const PlatformPaths& platform, std::ostream& err);

} // namespace veltrona
