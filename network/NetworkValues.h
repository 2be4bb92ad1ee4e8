#pragma once
// The network state that the address suggestion works from, as the dynamic store describes it.

#include "platform/DynamicStore.h"

#include <string>
#include <vector>

namespace veltrona {

// The client name the store connection is opened under.
inline constexpr const char* kDynamicStoreClientName = "mDNSResponder:DynDNSConfigChanged";

struct NetworkValues {
    // The primary interface's IPv4 addresses, in the store's order.
    std::vector<std::string> addresses;
    // The DNS servers in use, in the store's order.
    std::vector<std::string> dnsServers;
    bool operator==(const NetworkValues&) const = default;
};

// Reads "State:/Network/Global/IPv4" (PrimaryInterface), then that interface's
// "State:/Network/Interface/NAME/IPv4" (Addresses) and "State:/Network/Global/DNS"
// (ServerAddresses). Anything missing or of another kind gives an empty list, as does a store
// that gives no connection.
NetworkValues readNetworkValues(DynamicStore& store);
NetworkValues readNetworkValues(const DynamicStoreConnection& connection);

} // namespace veltrona
