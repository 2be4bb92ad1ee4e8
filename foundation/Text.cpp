#include "foundation/Text.h"

#include <climits>
#include <cstdint>
#include <optional>

namespace veltrona {
namespace {

// Unicode general category Zs.
bool isSpaceSeparator(char32_t c)
{
    return c == 0x20 || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F
           || c == 0x3000;
}

// Foundation's white-space set: Zs and the tab, but no line ends.
bool isWhitespace(char32_t c)
{
    return c == U'\t' || isSpaceSeparator(c);
}

bool isLineEnd(char32_t c)
{
    return (c >= 0x0A && c <= 0x0D) || c == 0x85 || c == 0x2028 || c == 0x2029;
}

struct Decoded {
    char32_t character;
    std::size_t length;
};

// The character that starts at `at`; nothing for a byte sequence that is no valid UTF-8.
std::optional<Decoded> decodeAt(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    std::size_t length = 0;
    char32_t c = 0;
    if (lead < 0x80)
        return Decoded{lead, 1};
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        c = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        c = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    if (text.size() - at < length)
        return std::nullopt;
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < smallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return std::nullopt;
    return Decoded{c, length};
}

// Where the last character before `end` starts; continuation bytes are at most three.
std::size_t startBefore(std::string_view text, std::size_t end)
{
    std::size_t at = end - 1;
    while (at > 0 && end - at < 4 && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80)
        --at;
    return at;
}

} // namespace

std::vector<std::string> split(std::string_view text, std::string_view separator)
{
    if (separator.empty())
        return {std::string(text)};
    std::vector<std::string> pieces;
    for (;;) {
        const std::size_t at = text.find(separator);
        pieces.emplace_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return pieces;
        text.remove_prefix(at + separator.size());
    }
}

std::string join(const std::vector<std::string>& pieces, std::string_view separator)
{
    std::string joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            joined += separator;
        joined += pieces[i];
    }
    return joined;
}

int intValue(std::string_view text)
{
    std::size_t at = 0;
    // Leading white space of every kind, line ends included, as Foundation's scanner skips it.
    while (at < text.size()) {
        const std::optional<Decoded> decoded = decodeAt(text, at);
        if (!decoded || !(isWhitespace(decoded->character) || isLineEnd(decoded->character)))
            break;
        at += decoded->length;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    // Accumulate towards the sign's side so that INT_MIN itself fits; clamp on overflow.
    std::int64_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        const int digit = text[at] - '0';
        value = value * 10 + (negative ? -digit : digit);
        if (value > INT_MAX)
            return INT_MAX;
        if (value < INT_MIN)
            return INT_MIN;
    }
    return static_cast<int>(value);
}

std::string trimWhitespace(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::optional<Decoded> decoded = decodeAt(text, begin);
        if (!decoded || !isWhitespace(decoded->character))
            break;
        begin += decoded->length;
    }
    std::size_t end = text.size();
    while (end > begin) {
        const std::size_t start = startBefore(text, end);
        const std::optional<Decoded> decoded = decodeAt(text, start);
        if (!decoded || start + decoded->length != end || !isWhitespace(decoded->character))
            break;
        end = start;
    }
    return std::string(text.substr(begin, end - begin));
}

std::string withoutControlCharacters(std::string_view text)
{
    std::string kept;
    kept.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte == 0 || byte >= 0x20 || c == '\t' || c == '\n' || c == '\r')
            kept += c;
    }
    return kept;
}

} // namespace veltrona
