#pragma once
// The live network state of this Linux machine, in the dynamic store's keys: the primary
// interface from the default route, its IPv4 addresses in order, the DNS servers in order.

#include "foundation/PlistValue.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace veltrona {

struct NetworkState {
    std::optional<std::string> primaryInterface;
    std::optional<std::string> router;
    std::vector<std::string> addresses;
    std::vector<std::string> dnsServers;
    bool operator==(const NetworkState&) const = default;
};

// Where the live state comes from; tests point these at their own files.
struct LiveNetworkSources {
    std::string routeTable = "/proc/net/route";
    std::string resolverConfig = "/etc/resolv.conf";
    // The IPv4 addresses of an interface in order; empty means getifaddrs.
    std::function<std::vector<std::string>(const std::string&)> interfaceAddresses;
};

// The interface of the lowest-metric default route in a /proc/net/route text, and its gateway.
struct DefaultRoute {
    std::string interface;
    std::string gateway;
};
std::optional<DefaultRoute> parseDefaultRoute(const std::string& routeTable);

// The "nameserver" entries of a resolv.conf text, in order.
std::vector<std::string> parseNameservers(const std::string& resolverConfig);

// The IPv4 addresses of an interface as getifaddrs lists them.
std::vector<std::string> systemInterfaceAddresses(const std::string& interface);

// Reads the whole state; missing or unreadable sources give missing parts, never an error.
NetworkState readLiveNetwork(const LiveNetworkSources& sources);

// The dynamic store's keys for a state: "State:/Network/Global/IPv4" (PrimaryInterface, Router),
// "State:/Network/Interface/NAME/IPv4" (Addresses), "State:/Network/Global/DNS" (ServerAddresses).
// A part the state lacks gives no key.
PlistDictionary dynamicStoreKeys(const NetworkState& state);

// The reverse: the state a store dictionary describes.
NetworkState networkStateFromKeys(const PlistDictionary& keys);

} // namespace veltrona
