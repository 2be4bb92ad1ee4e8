#pragma once
// What dscl prints: listings, attribute lines and -plist records.

#include "foundation/PlistValue.h"
#include "platform/emulated/Record.h"

#include <optional>
#include <string>
#include <vector>

namespace veltrona {

// "-list": first record names one a line; with an attribute, names padded so that values start at
// column (longest listed name + 3), records lacking the attribute left out.
std::string dsclListText(const std::vector<Record>& records, const std::optional<std::string>& nativeKey);

// "-read" of one record: "Key: v1 v2" lines (or the key alone, then " value" lines, when a value
// holds a blank), keys sorted; then "No such key: NAME" for each requested attribute it lacks.
// `requested` holds attribute names as typed; empty means every attribute. With `withRecordName`
// the record names are shown even when not requested (readall).
std::string dsclReadText(const Record& record, const std::vector<std::string>& requested, bool withRecordName);

// One record as -plist shows it: full attribute names ("dsAttrTypeStandard:RealName"), sorted,
// each an array of strings; requested attributes the record lacks are absent.
PlistDictionary dsclRecordPlist(const Record& record, const std::vector<std::string>& requested, bool withRecordName);

} // namespace veltrona
