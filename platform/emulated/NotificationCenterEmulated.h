#pragma once
// The distributed notification centre of the emulated Mac: every posted name is appended as one
// line to the root's var/log/veltrona-notifications.log, where tests read it.

#include "platform/NotificationCenter.h"
#include "platform/PlatformPaths.h"

namespace veltrona {

inline constexpr const char* kNotificationLogFile = "/var/log/veltrona-notifications.log";

class NotificationCenterEmulated final : public NotificationCenter {
public:
    explicit NotificationCenterEmulated(PlatformPaths paths);
    // A name holding a line break or other control character is refused: it would break the log.
    Status postNotificationName(std::string_view name) override;

private:
    PlatformPaths paths_;
};

} // namespace veltrona
