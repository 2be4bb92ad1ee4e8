#pragma once
// Texts that arrive whole (a command-line argument, a line of standard input) rather than typed
// into a filtered field: the entry filter's rule decides whether they are taken as they stand.

#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

inline constexpr const char* kAccountNameCharactersMessage = "An account name may hold only letters, marks and digits.";
inline constexpr const char* kSharedSecretCharactersMessage =
    "A shared secret may hold only letters, marks and digits.";

// The UTF-8 text through the entry filter: what a field would hold after it was typed, or nothing
// when the filter would have dropped any of it (or the text is not UTF-8). Nothing is dropped
// silently: a name or secret that changed under the user's hands would be the wrong one.
std::optional<std::string> acceptedEntry(std::string_view utf8, bool lowerCase);

} // namespace veltrona
