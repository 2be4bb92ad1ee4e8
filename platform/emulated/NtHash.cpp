#include "platform/emulated/NtHash.h"

#include "foundation/PlistIO.h"

// MD4 is gone from OpenSSL's default provider; its one-shot function remains, deprecated.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md4.h>

#include <algorithm>
#include <vector>

namespace veltrona {

namespace {

// UTF-8 to UTF-16LE bytes; nothing on a malformed sequence.
std::optional<std::vector<unsigned char>> utf16le(std::string_view text)
{
    std::vector<unsigned char> out;
    auto put = [&out](std::uint32_t unit) {
        out.push_back(static_cast<unsigned char>(unit & 0xff));
        out.push_back(static_cast<unsigned char>(unit >> 8));
    };
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xe  ? 3
                                   : (lead >> 3) == 0x1e ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size())
            return std::nullopt;
        std::uint32_t code = length == 1 ? lead : lead & (0x7f >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xc0) != 0x80)
                return std::nullopt;
            code = (code << 6) | (next & 0x3f);
        }
        static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kSmallest[length] || code > 0x10ffff || (code >= 0xd800 && code <= 0xdfff))
            return std::nullopt;
        if (code >= 0x10000) {
            code -= 0x10000;
            put(0xd800 | (code >> 10));
            put(0xdc00 | (code & 0x3ff));
        } else {
            put(code);
        }
        i += length;
    }
    return out;
}

} // namespace

std::optional<NtHash> ntPasswordHash(std::string_view password)
{
    std::optional<std::vector<unsigned char>> unicode = utf16le(password);
    if (!unicode)
        return std::nullopt;
    NtHash hash{};
    MD4(unicode->data(), unicode->size(), hash.data());
    return hash;
}

std::optional<NtHash> ntHashIn(const PlistData& shadowHashData)
{
    std::optional<PlistValue> root =
        parsePlist(std::string_view(reinterpret_cast<const char*>(shadowHashData.data()), shadowHashData.size()));
    const PlistValue* entry = root && root->dictionary() ? root->dictionary()->find(kNtHashKey) : nullptr;
    if (!entry || !entry->data() || entry->data()->size() != NtHash{}.size())
        return std::nullopt;
    NtHash hash{};
    std::copy(entry->data()->begin(), entry->data()->end(), hash.begin());
    return hash;
}

} // namespace veltrona
