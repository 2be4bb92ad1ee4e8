#pragma once
// Key and key-path access into dictionaries, as Foundation's key-value coding offers it.

#include "foundation/PlistValue.h"

#include <optional>
#include <string_view>

namespace veltrona {

// The value for a key of a dictionary value; nothing when the value is no dictionary or lacks the key.
const PlistValue* valueForKey(const PlistValue& dictionary, std::string_view key);
PlistValue* valueForKey(PlistValue& dictionary, std::string_view key);

// Resolves a "."-separated path one component at a time; a step through a missing or
// non-dictionary value gives nothing.
const PlistValue* valueForKeyPath(const PlistValue& root, std::string_view keyPath);
PlistValue* valueForKeyPath(PlistValue& root, std::string_view keyPath);

// Stores a value for a key; storing nothing removes the key; a null or non-dictionary target is left alone.
void setValueForKey(PlistValue* dictionary, std::string_view key, std::optional<PlistValue> value);

} // namespace veltrona
