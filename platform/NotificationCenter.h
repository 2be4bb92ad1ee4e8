#pragma once
// The distributed notification centre: posts a named notification to every listening process.

#include "foundation/Status.h"

#include <string_view>

namespace veltrona {

class NotificationCenter {
public:
    virtual ~NotificationCenter() = default;
    // postNotificationName:object:userInfo: with no object and no user information.
    // A failure to deliver is reported but callers may ignore it, as the Mac's post gives nothing.
    virtual Status postNotificationName(std::string_view name) = 0;
};

} // namespace veltrona
