#pragma once
// Strict UTF-8 checks for text that arrives as bytes (tool output, keychain data).

#include <cstddef>
#include <string_view>

namespace veltrona {

// Well-formed UTF-8: no overlong forms, surrogates, values above U+10FFFF or cut sequences.
bool isValidUtf8(std::string_view text);

// The length of the longest prefix that does not end inside a multi-byte character.
std::size_t withoutCutCharacter(std::string_view text);

} // namespace veltrona
