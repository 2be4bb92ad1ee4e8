#include "vpnserver/SharedSecretData.h"

#include "services/Base64.h"

#include <cstdint>

namespace veltrona {

PlistData sharedSecretData(std::string_view secret)
{
    const std::vector<std::uint8_t> bytes(secret.begin(), secret.end());
    return dataFromBase64String(base64EncodedString(bytes));
}

std::string sharedSecretText(const PlistValue* value)
{
    if (value == nullptr)
        return {};
    if (const std::string* text = value->string())
        return *text;
    if (const PlistData* data = value->data()) {
        std::string text(data->begin(), data->end());
        return isValidUtf8(text) ? text : std::string();
    }
    return {};
}

bool isValidUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        std::size_t length = 0;
        std::uint32_t codePoint = 0;
        if (lead < 0x80) {
            ++i;
            continue;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            codePoint = lead & 0x1Fu;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            codePoint = lead & 0x0Fu;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            codePoint = lead & 0x07u;
        } else {
            return false;
        }
        if (bytes.size() - i < length)
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + k]);
            if ((next & 0xC0u) != 0x80u)
                return false;
            codePoint = (codePoint << 6) | (next & 0x3Fu);
        }
        const bool overlong = (length == 3 && codePoint < 0x800) || (length == 4 && codePoint < 0x10000);
        const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
        if (overlong || surrogate || codePoint > 0x10FFFF)
            return false;
        i += length;
    }
    return true;
}

} // namespace veltrona
