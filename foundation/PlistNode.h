#pragma once
// Conversion between our property-list values and libplist's node trees (internal to foundation/).

#include "foundation/PlistValue.h"

#include <plist/plist.h>

#include <memory>
#include <optional>

namespace veltrona::detail {

struct PlistNodeFree {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistNodePtr = std::unique_ptr<void, PlistNodeFree>;

PlistNodePtr toPlistNode(const PlistValue& value);
PlistNodePtr toPlistNode(const PlistDictionary& dictionary);

// Nothing when the tree holds a node of a kind we cannot represent.
std::optional<PlistValue> fromPlistNode(plist_t node);

} // namespace veltrona::detail
