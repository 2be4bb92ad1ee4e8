#pragma once
// Password hashes as a Mac keeps them in a user record's ShadowHashData: a binary property list
// {"SALTED-SHA512-PBKDF2": {entropy, iterations, salt}, "SMB-NT": 16 bytes}, PBKDF2-HMAC-SHA512 over
// a random salt, and the NT hash that MS-CHAPv2 (the VPN's login) needs.

#include "foundation/PlistValue.h"

#include <optional>
#include <string_view>

namespace veltrona {

inline constexpr int kPasswordHashIterations = 100000;
inline constexpr std::size_t kPasswordSaltLength = 32;
inline constexpr std::size_t kPasswordEntropyLength = 128;

// A fresh ShadowHashData value for the password; nothing when OpenSSL fails.
std::optional<PlistData> makeShadowHashData(std::string_view password, int iterations = kPasswordHashIterations);

// True when the ShadowHashData holds a PBKDF2 hash of exactly this password. Malformed data: false.
bool shadowHashMatches(const PlistData& shadowHashData, std::string_view password);

} // namespace veltrona
