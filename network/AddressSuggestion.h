#pragma once
// The client address range, DNS servers and host name proposed from the network state.

#include "network/NetworkValues.h"
#include "services/CommandRunner.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// Each field's new text, in the order the window sets them; nothing leaves a field as it is.
struct AddressSuggestion {
    std::optional<std::string> startIPAddress;
    std::optional<std::string> endIPAddress;
    std::optional<std::string> portForwardingInfo;
    std::optional<std::string> dnsServerAddresses;
    std::optional<std::string> vpnHost;
    // The reverse look-up's command text; nothing when no look-up is to run.
    std::optional<std::string> lookUpCommand;
    bool operator==(const AddressSuggestion&) const = default;
};

// The hint naming the machine's address for a router's port forwarding.
std::string portForwardingHint(std::string_view address);

// Everything but the host name: the range .224 to .254 of the first address's first three parts
// (only for an address of four dot-separated parts), the hint, the DNS servers joined by ", ",
// and the look-up of the first address (or, without one, of the first DNS server) asked of the
// first DNS server, when both are IP addresses.
AddressSuggestion suggestAddresses(const NetworkValues& values);

// The whole suggestion: runs the look-up through the runner when there is one, and proposes its
// host name only when `currentHost` is empty.
AddressSuggestion suggestIPAddresses(const NetworkValues& values, std::string_view currentHost, CommandRunner& runner);

} // namespace veltrona
