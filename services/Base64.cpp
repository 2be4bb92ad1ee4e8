#include "services/Base64.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

namespace veltrona {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
static_assert(sizeof(kAlphabet) == 64 + 1);

// Table entry of every byte outside the alphabet: such bytes are passed over.
constexpr std::uint8_t kSkip = 65;

constexpr std::array<std::uint8_t, 256> makeDecodingTable()
{
    std::array<std::uint8_t, 256> table{};
    table.fill(kSkip);
    for (std::uint8_t value = 0; value < 64; ++value)
        table[static_cast<unsigned char>(kAlphabet[value])] = value;
    return table;
}

constexpr std::array<std::uint8_t, 256> kDecodingTable = makeDecodingTable();

// The decoding table once per place in a group of four, each value moved to its bits of the
// 24-bit group and the skip marker turned into bit 31: one OR of four entries both assembles
// a group and tells whether any of its bytes is to be skipped.
constexpr std::uint32_t kSkipBit = 0x80000000u;

constexpr std::array<std::array<std::uint32_t, 256>, 4> makePlacedTables()
{
    std::array<std::array<std::uint32_t, 256>, 4> tables{};
    for (std::size_t place = 0; place < 4; ++place) {
        for (std::size_t byte = 0; byte < 256; ++byte) {
            const std::uint8_t value = kDecodingTable[byte];
            tables[place][byte] = value == kSkip ? kSkipBit : std::uint32_t{value} << (18 - 6 * place);
        }
    }
    return tables;
}

constexpr auto kPlacedTables = makePlacedTables();

inline std::uint32_t placedGroup(const unsigned char* in)
{
    return kPlacedTables[0][in[0]] | kPlacedTables[1][in[1]] | kPlacedTables[2][in[2]] | kPlacedTables[3][in[3]];
}

// Decodes the leading run of complete four-character groups without skipped bytes and
// advances both pointers past it. The output buffer holds 3 bytes per 4 input bytes, rounded
// up, and complete groups are all that was written before, so while 12 input bytes remain at
// least 9 bytes of room do: the 8-byte store of the wide loop stays inside the buffer.
void decodeRuns(const unsigned char*& in, const unsigned char* end, std::uint8_t*& out)
{
    while (end - in >= 12) {
        const std::uint32_t high = placedGroup(in);
        const std::uint32_t low = placedGroup(in + 4);
        if (((high | low) & kSkipBit) != 0)
            break;
        std::uint64_t word = (std::uint64_t{high} << 40) | (std::uint64_t{low} << 16);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        std::memcpy(out, &word, 8);
        out += 6;
        in += 8;
    }
    while (end - in >= 4) {
        const std::uint32_t bits = placedGroup(in);
        if ((bits & kSkipBit) != 0)
            break;
        out[0] = static_cast<std::uint8_t>(bits >> 16);
        out[1] = static_cast<std::uint8_t>(bits >> 8);
        out[2] = static_cast<std::uint8_t>(bits);
        out += 3;
        in += 4;
    }
}

// Both characters of every 12-bit value, so that three bytes take two look-ups to encode.
using CharPair = std::array<char, 2>;

constexpr std::array<CharPair, 4096> makePairTable()
{
    std::array<CharPair, 4096> table{};
    for (std::size_t bits = 0; bits < table.size(); ++bits)
        table[bits] = {kAlphabet[bits >> 6], kAlphabet[bits & 63]};
    return table;
}

constexpr std::array<CharPair, 4096> kPairTable = makePairTable();

constexpr std::size_t kInputLineLength = 48;

// Writes the four characters of three input bytes.
inline char* encodeGroup(const std::uint8_t* in, char* out)
{
    const std::uint32_t bits = (std::uint32_t{in[0]} << 16) | (std::uint32_t{in[1]} << 8) | in[2];
    std::memcpy(out, kPairTable[bits >> 12].data(), 2);
    std::memcpy(out + 2, kPairTable[bits & 0xFFF].data(), 2);
    return out + 4;
}

// Encodes the complete groups of [in, end) and returns where the output stops.
char* encodeGroups(const std::uint8_t* in, const std::uint8_t* end, char* out)
{
    // Two groups per round while eight bytes may be read: one big-endian load serves both.
    while (end - in >= 8) {
        std::uint64_t word;
        std::memcpy(&word, in, 8);
        if constexpr (std::endian::native == std::endian::little)
            word = __builtin_bswap64(word);
        std::memcpy(out, kPairTable[(word >> 52) & 0xFFF].data(), 2);
        std::memcpy(out + 2, kPairTable[(word >> 40) & 0xFFF].data(), 2);
        std::memcpy(out + 4, kPairTable[(word >> 28) & 0xFFF].data(), 2);
        std::memcpy(out + 6, kPairTable[(word >> 16) & 0xFFF].data(), 2);
        in += 6;
        out += 8;
    }
    while (end - in >= 3) {
        out = encodeGroup(in, out);
        in += 3;
    }
    return out;
}

// Size of the encoder's buffer, or 0 when it cannot be expressed in a size_t.
std::size_t encodedBufferSize(std::size_t length, bool separateLines)
{
    const std::size_t groups = length / 3 + (length % 3 != 0 ? 1 : 0);
    constexpr std::size_t max = std::numeric_limits<std::size_t>::max();
    if (groups > (max - 1) / 4)
        return 0;
    const std::size_t characters = 4 * groups;
    const std::size_t lineBreaks = separateLines ? 2 * (groups / 16) : 0;
    if (lineBreaks > max - 1 - characters)
        return 0;
    return characters + lineBreaks + 1;
}

} // namespace

std::unique_ptr<std::uint8_t[]> base64Decode(const void* input, std::size_t length, std::size_t* outputLength)
{
    const auto* in = static_cast<const unsigned char*>(input);
    if (in == nullptr)
        length = 0;
    else if (length == kBase64NulTerminated)
        length = std::strlen(static_cast<const char*>(input));

    // ceil(length / 4) * 3, written so that no length can overflow it.
    const std::size_t bufferSize = (length / 4 + (length % 4 != 0 ? 1 : 0)) * 3;
    std::unique_ptr<std::uint8_t[]> buffer(new (std::nothrow) std::uint8_t[bufferSize]);
    if (!buffer)
        return nullptr;

    const unsigned char* const end = in + length;
    std::uint8_t* out = buffer.get();
    std::uint32_t group = 0;
    int count = 0;
    while (in != end) {
        if (count == 0) {
            // Runs of four alphabet characters, the common case, skip the group bookkeeping.
            decodeRuns(in, end, out);
            if (in == end)
                break;
        }
        const std::uint8_t value = kDecodingTable[*in++];
        if (value == kSkip)
            continue;
        group = (group << 6) | value;
        if (++count == 4) {
            out[0] = static_cast<std::uint8_t>(group >> 16);
            out[1] = static_cast<std::uint8_t>(group >> 8);
            out[2] = static_cast<std::uint8_t>(group);
            out += 3;
            group = 0;
            count = 0;
        }
    }
    // A partial group gives the leading bytes a full one would; one value alone gives nothing.
    if (count == 2) {
        *out++ = static_cast<std::uint8_t>(group >> 4);
    } else if (count == 3) {
        *out++ = static_cast<std::uint8_t>(group >> 10);
        *out++ = static_cast<std::uint8_t>(group >> 2);
    }

    if (outputLength != nullptr)
        *outputLength = static_cast<std::size_t>(out - buffer.get());
    return buffer;
}

std::unique_ptr<char[]> base64Encode(const void* input, std::size_t length, bool separateLines,
                                     std::size_t* outputLength)
{
    const auto* in = static_cast<const std::uint8_t*>(input);
    if (in == nullptr)
        length = 0;

    const std::size_t bufferSize = encodedBufferSize(length, separateLines);
    if (bufferSize == 0)
        return nullptr;
    std::unique_ptr<char[]> buffer(new (std::nothrow) char[bufferSize]);
    if (!buffer)
        return nullptr;

    const std::uint8_t* const end = in + length;
    const std::size_t lineLength = separateLines ? kInputLineLength : length;
    char* out = buffer.get();
    for (;;) {
        const std::size_t rest = static_cast<std::size_t>(end - in);
        const std::uint8_t* lineEnd = in + std::min(lineLength, rest);
        out = encodeGroups(in, lineEnd, out);
        in += (static_cast<std::size_t>(lineEnd - in) / 3) * 3;
        if (lineEnd == end)
            break;
        // Only full lines end before the input does, so `in` has reached lineEnd here.
        *out++ = '\r';
        *out++ = '\n';
    }

    const std::size_t rest = static_cast<std::size_t>(end - in);
    if (rest == 2) {
        const std::uint32_t bits = (std::uint32_t{in[0]} << 8) | in[1];
        *out++ = kAlphabet[bits >> 10];
        *out++ = kAlphabet[(bits >> 4) & 63];
        *out++ = kAlphabet[(bits << 2) & 63];
        *out++ = '=';
    } else if (rest == 1) {
        *out++ = kAlphabet[in[0] >> 2];
        *out++ = kAlphabet[(in[0] << 4) & 63];
        *out++ = '=';
        *out++ = '=';
    }
    *out = '\0';

    if (outputLength != nullptr)
        *outputLength = static_cast<std::size_t>(out - buffer.get());
    return buffer;
}

std::vector<std::uint8_t> dataFromBase64String(std::string_view text)
{
    // The strict ASCII conversion: one byte outside ASCII and there is nothing to decode.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii)
        return {};
    std::size_t decodedLength = 0;
    const auto decoded = base64Decode(text.data(), text.size(), &decodedLength);
    if (!decoded)
        return {};
    try {
        return std::vector<std::uint8_t>(decoded.get(), decoded.get() + decodedLength);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

std::string base64EncodedString(const std::vector<std::uint8_t>& data)
{
    std::size_t encodedLength = 0;
    const auto encoded = base64Encode(data.data(), data.size(), false, &encodedLength);
    if (!encoded)
        return {};
    try {
        return std::string(encoded.get(), encodedLength);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

} // namespace veltrona
