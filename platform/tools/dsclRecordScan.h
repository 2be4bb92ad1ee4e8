#pragma once
// A quick look into one record file for listings of many records: the plain shape our directory
// writes is read directly, and anything else is left to the full property-list reader.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// The values of each wanted key (nothing where the record lacks the key), when the text is an XML
// property list holding a dictionary whose every value is an array of <string> or <data> items,
// the wanted keys' values being strings only, with no entity but the five named ones and no key
// twice. Nothing otherwise: the caller then reads the file the slow, general way.
std::optional<std::vector<std::optional<std::vector<std::string>>>> scanRecordFile(
    std::string_view text, const std::vector<std::string>& wantedKeys);

} // namespace veltrona
