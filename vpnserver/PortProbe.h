#pragma once
// Whether a TCP port on this machine's loopback address accepts connections.

#include "platform/SystemLog.h"

#include <string_view>

namespace veltrona {

inline constexpr std::string_view kSocketErrorLogLine = "- (BOOL)checkIfOpenPort:(int)portNo - error creating socket";

// Tries a TCP connection to 127.0.0.1 on the low 16 bits of portNo. A socket that cannot be
// made writes kSocketErrorLogLine to the log and counts as a closed port.
bool checkIfOpenPort(int portNo, SystemLog& log);

// The light image for a probe's answer: "green" when open, "red" otherwise.
std::string_view lightImageForPort(bool open);

} // namespace veltrona
