#pragma once
// Checks made before libplist 2.2 sees untrusted bytes, for input that would bring the whole
// program down inside libplist rather than give an error (internal to foundation/):
// - nesting so deep that its parsers, which recurse once per level, exhaust the stack;
// - a binary dictionary key holding a NUL character, which trips an assertion when the key is read;
// - a NUL byte in XML, where libplist silently cuts the text short;
// - an XML integer that is no number, which libplist silently reads as 0.

#include <cstddef>
#include <string_view>

namespace veltrona::detail {

// The deepest nesting of arrays and dictionaries we accept; real files stay far below it.
inline constexpr std::size_t maxPlistNesting = 512;

// False when the bytes hold one of the hazards above, or a binary object graph that refers back
// to itself. Bytes this check cannot make sense of pass, for the parser to reject.
bool plistSafeToParse(std::string_view bytes, std::size_t nestingLimit = maxPlistNesting);

} // namespace veltrona::detail
