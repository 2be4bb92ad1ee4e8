#pragma once
// The dynamic configuration store (SCDynamicStore): keyed property-list values that describe the
// live network state, e.g. "State:/Network/Global/IPv4".

#include "foundation/PlistValue.h"

#include <memory>
#include <optional>
#include <string_view>

namespace veltrona {

// One open connection; closing it is destroying it.
class DynamicStoreConnection {
public:
    virtual ~DynamicStoreConnection() = default;
    // SCDynamicStoreCopyValue: a dictionary value, or nothing when the key has no value.
    virtual std::optional<PlistValue> copyValue(std::string_view key) const = 0;
};

class DynamicStore {
public:
    virtual ~DynamicStore() = default;
    // SCDynamicStoreCreate with a client name: a connection, or nothing when the store is unusable.
    virtual std::unique_ptr<DynamicStoreConnection> create(std::string_view clientName) = 0;
};

} // namespace veltrona
