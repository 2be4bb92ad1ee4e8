#pragma once
// The secret part of a one-time address: whoever knows it may fetch the profile once.

#include <optional>
#include <string>

namespace veltrona {

// 128 random bits from OpenSSL's generator as 32 lower-case hexadecimal digits; nothing when the
// generator fails, since a guessable token would hand the shared secret to anyone on the network.
std::optional<std::string> newOfferToken();

} // namespace veltrona
