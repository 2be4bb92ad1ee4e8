#pragma once
// A guard against property lists nested so deeply that parsing them would exhaust the stack:
// libplist 2.2 recurses once per level, in both its XML and its binary reader.

#include <cstddef>
#include <string_view>

namespace veltrona::detail {

// The deepest nesting of arrays and dictionaries we accept; real files stay far below it.
inline constexpr std::size_t maxPlistNesting = 512;

// False when the bytes nest containers deeper than the limit, or (binary) refer back to themselves.
// Bytes this check cannot make sense of pass, for the parser to reject.
bool plistNestingWithin(std::string_view bytes, std::size_t limit = maxPlistNesting);

} // namespace veltrona::detail
