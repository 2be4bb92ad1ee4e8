#pragma once
// SHA-0 (FIPS 180, 1993): SoftEther keeps its administration password as this hash, and no
// maintained library still offers it.

#include <array>
#include <string_view>

namespace veltrona {

std::array<unsigned char, 20> sha0(std::string_view bytes);

} // namespace veltrona
