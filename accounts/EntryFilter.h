#pragma once
// The entry filter of the account-name field and the shared-secret sheet: only letters, marks and
// digits of any script stay, one UTF-16 unit at a time, as the user types or pastes.

#include <cstddef>
#include <string>
#include <string_view>

namespace veltrona {

struct FilteredEntry {
    std::u16string text;
    // Units dropped: one beep each.
    std::size_t dropped = 0;
};

// Keeps the units of Unicode general categories L, M and N; a character outside the Basic
// Multilingual Plane is two surrogate units, both dropped. With `lowerCase` the kept text is
// lower-cased by the locale-independent Unicode mapping (account names).
FilteredEntry filterEntry(std::u16string_view text, bool lowerCase);

} // namespace veltrona
