#pragma once
// Names a reader could take for one another ("аdmin" in Cyrillic beside "admin", full-width
// letters), by ICU's spoof checker.

#include <string>
#include <vector>

namespace veltrona {

// Whether `name` is confusable with any of `existing` (UTF-8 texts). A checker that cannot be
// opened counts every name as confusable, so that creation is refused rather than unguarded.
bool looksLikeAnyOf(const std::string& name, const std::vector<std::string>& existing);

} // namespace veltrona
