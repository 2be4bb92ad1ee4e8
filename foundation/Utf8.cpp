#include "foundation/Utf8.h"

#include <cstdint>

namespace veltrona {

namespace {

// Length of the well-formed UTF-8 sequence starting at text[i], or 0 when it is not one
// (overlong forms, surrogates and values above U+10FFFF are refused, as strict decoders do).
std::size_t sequenceLength(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<std::uint8_t>(text[k]); };
    const std::uint8_t lead = byte(i);
    std::size_t length = 0;
    std::uint8_t low = 0x80, high = 0xBF; // allowed range of the second byte
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > text.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

} // namespace

bool isValidUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t length = sequenceLength(text, i);
        if (length == 0)
            return false;
        i += length;
    }
    return true;
}

std::size_t withoutCutCharacter(std::string_view text)
{
    // Step back over at most three continuation bytes to the last lead byte.
    std::size_t lead = text.size();
    for (int steps = 0; steps < 4 && lead > 0; ++steps) {
        --lead;
        if ((static_cast<std::uint8_t>(text[lead]) & 0xC0) != 0x80)
            break;
    }
    if (lead == text.size())
        return text.size();
    const auto first = static_cast<std::uint8_t>(text[lead]);
    const std::size_t expected = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC0 ? 2 : 1;
    return text.size() - lead < expected ? lead : text.size();
}

} // namespace veltrona
