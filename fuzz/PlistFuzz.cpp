// Feeds arbitrary bytes to the property-list reader: it must give a value or nothing, never crash,
// and what it reads must survive being written and read again.
#include "foundation/PlistIO.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::optional<veltrona::PlistValue> value = veltrona::parsePlist(bytes);
    if (value) {
        const std::string xml = veltrona::plistToXml(*value);
        if (!xml.empty() && !veltrona::parsePlist(xml))
            std::abort();
    }
    return 0;
}
