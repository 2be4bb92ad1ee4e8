#include "handover/OfferToken.h"

#include "foundation/HexText.h"

#include <openssl/rand.h>

#include <array>

namespace veltrona {

std::optional<std::string> newOfferToken()
{
    std::array<unsigned char, 16> bits{};
    if (RAND_bytes(bits.data(), static_cast<int>(bits.size())) != 1)
        return std::nullopt;
    return hexText(std::string_view(reinterpret_cast<const char*>(bits.data()), bits.size()));
}

} // namespace veltrona
