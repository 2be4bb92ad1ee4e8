#include "platform/emulated/NtHash.h"

#include "foundation/PlistIO.h"

// MD4 is gone from OpenSSL's default provider; its one-shot function remains, deprecated.
#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/md4.h>

#include <algorithm>
#include <iconv.h>
#include <string>
#include <vector>

namespace veltrona {

namespace {

// UTF-8 to UTF-16LE bytes through iconv; nothing on a malformed sequence.
std::optional<std::vector<unsigned char>> utf16le(std::string_view text)
{
    const iconv_t converter = iconv_open("UTF-16LE", "UTF-8");
    if (converter == reinterpret_cast<iconv_t>(-1))
        return std::nullopt;
    std::string in(text);
    std::vector<unsigned char> out(4 * text.size() + 4);
    char* from = in.data();
    std::size_t fromLeft = in.size();
    char* to = reinterpret_cast<char*>(out.data());
    std::size_t toLeft = out.size();
    const std::size_t done = iconv(converter, &from, &fromLeft, &to, &toLeft);
    iconv_close(converter);
    if (done == static_cast<std::size_t>(-1) || fromLeft != 0)
        return std::nullopt;
    out.resize(out.size() - toLeft);
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
