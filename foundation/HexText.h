#pragma once
// Bytes as hexadecimal text and back.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

enum class HexCase { Lower, Upper };

std::string hexText(std::string_view bytes, HexCase letters = HexCase::Lower);
inline std::string hexText(const std::vector<std::uint8_t>& bytes, HexCase letters = HexCase::Lower)
{
    return hexText(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), letters);
}

// Either case; nothing for an odd length or any other character.
std::optional<std::vector<std::uint8_t>> bytesOfHex(std::string_view text);

} // namespace veltrona
