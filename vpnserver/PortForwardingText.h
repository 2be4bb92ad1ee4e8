#pragma once
// The router advice shown beside the settings, chosen by the VPN type.

#include <string>
#include <string_view>

namespace veltrona {

// The L2TP text for "L2TP", the PPTP text (port 1703) for any other type, the empty one included.
std::string portForwardingText(std::string_view type);

} // namespace veltrona
