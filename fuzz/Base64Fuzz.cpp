// Feeds arbitrary text to the lenient Base64 decoder: any input decodes to something without
// reading or writing out of bounds, and encoding then decoding any bytes gives them back.
#include "services/Base64.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::size_t length = 0;
    const std::unique_ptr<std::uint8_t[]> raw = veltrona::base64Decode(data, size, &length);
    if (raw && length > size)
        std::abort();
    (void)veltrona::dataFromBase64String(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<std::uint8_t> original(data, data + size);
    if (veltrona::dataFromBase64String(veltrona::base64EncodedString(original)) != original)
        std::abort();
    return 0;
}
