#pragma once
// Putting a mapped path into a one-line command text.

#include <string>
#include <string_view>

namespace veltrona {

// The text unchanged when the shell reads it as one word as it stands (the Mac's own paths always
// are); otherwise in single quotes, so that a platform root with blanks or quotes in its path
// still arrives as one unchanged word.
std::string shellWord(std::string_view text);

// The POSIX single-quoted form of a text, always quoted: ' becomes '\''.
std::string singleQuoted(std::string_view text);

} // namespace veltrona
