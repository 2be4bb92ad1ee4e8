#pragma once
// The client address range judged on its own: both ends IPv4, in order, at most 253 addresses,
// none of them this machine's, and (a warning only) in the network of the first DNS server or of
// this machine.

#include "vpnserver/SetupCheck.h"

#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kAddressRangeCheck = "Address range";
inline constexpr unsigned kMostRangeAddresses = 253;

// `machineAddresses` are this machine's IPv4 addresses; other texts among them are ignored.
SetupCheck checkAddressRange(const std::string& start, const std::string& end,
                             const std::vector<std::string>& machineAddresses, const std::string& firstDnsServer);

} // namespace veltrona
