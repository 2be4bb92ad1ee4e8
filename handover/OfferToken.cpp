#include "handover/OfferToken.h"

#include <openssl/rand.h>

#include <array>

namespace veltrona {

std::optional<std::string> newOfferToken()
{
    std::array<unsigned char, 16> bits{};
    if (RAND_bytes(bits.data(), static_cast<int>(bits.size())) != 1)
        return std::nullopt;
    constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (const unsigned char byte : bits) {
        token += kDigits[byte >> 4];
        token += kDigits[byte & 0xf];
    }
    return token;
}

} // namespace veltrona
