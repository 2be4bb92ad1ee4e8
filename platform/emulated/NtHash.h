#pragma once
// The SMB-NT hash a Mac keeps in ShadowHashData for accounts that may log in over MS-CHAPv2:
// MD4 of the password in UTF-16LE.

#include "foundation/PlistValue.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace veltrona {

using NtHash = std::array<std::uint8_t, 16>;

inline constexpr const char* kNtHashKey = "SMB-NT";

// Nothing when the password is not valid UTF-8 (it then has no UTF-16 form).
std::optional<NtHash> ntPasswordHash(std::string_view password);

// The SMB-NT entry of a ShadowHashData value; nothing when it has none or is malformed.
std::optional<NtHash> ntHashIn(const PlistData& shadowHashData);

} // namespace veltrona
