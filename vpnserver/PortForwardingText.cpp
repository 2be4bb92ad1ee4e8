#include "vpnserver/PortForwardingText.h"

#include "vpnserver/ServerSettings.h"

namespace veltrona {

std::string portForwardingText(std::string_view type)
{
    // The first apostrophe is U+2019, the second a plain one: the texts are kept as they were.
    if (type == kVpnTypeL2TP) {
        return "If you\u2019re running the VPN Server on a local network behind a router, set the router "
               "to forward UDP ports 500, 1701, and 4500 to the IP address of this VPN Server machine. "
               "If you're lucky and have a nice smart router, there is no Step 4.";
    }
    return "If you\u2019re running the VPN Server on a local network behind a router, set the router "
           "to forward UDP port 1703 to the IP address of this VPN Server machine. "
           "If you're lucky and have a nice smart router, there is no Step 4.";
}

} // namespace veltrona
