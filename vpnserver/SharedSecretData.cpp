#include "vpnserver/SharedSecretData.h"

#include "foundation/Utf8.h"
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

} // namespace veltrona
