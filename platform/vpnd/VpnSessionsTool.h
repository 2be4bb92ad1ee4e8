#pragma once
// The emulated Mac's `vpnsessions`, run as root: `vpnsessions list` prints the connected clients
// as an XML property list (an array of dictionaries: Name, RemoteAddress, TunnelAddress,
// ConnectedSince, BytesIn, BytesOut); `vpnsessions disconnect NAME` ends that account's sessions
// and prints how many. With the server stopped, nobody is connected.

#include "platform/PlatformPaths.h"

#include <ostream>
#include <string>
#include <vector>

namespace veltrona {

// 0 done, 1 the server could not be asked (a line on `err`), 64 bad arguments.
int runVpnSessions(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                   std::ostream& err);

} // namespace veltrona
