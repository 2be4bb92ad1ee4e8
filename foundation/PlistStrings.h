#pragma once
// Lists of texts kept as property-list arrays of strings.

#include "foundation/PlistValue.h"

#include <string>
#include <vector>

namespace veltrona {

PlistArray stringArray(const std::vector<std::string>& texts);

// The strings of an array, in order; items of other kinds are skipped. Nothing when `value` is
// missing or no array.
std::vector<std::string> stringsIn(const PlistValue* value);

} // namespace veltrona
