#pragma once
// Telling a live process from one that ended and whose number was given to another.

#include <cstdint>
#include <optional>
#include <sys/types.h>

namespace veltrona {

// When the process started, in clock ticks after boot (/proc/PID/stat); nothing when it is gone
// or a zombie.
std::optional<std::uint64_t> processStartTime(pid_t pid);

} // namespace veltrona
