#pragma once
// Telling a network address from any other text before it goes into a command line.

#include <cstdint>
#include <optional>
#include <string_view>

namespace veltrona {

// True for an IPv4 address in dotted-quad form ("192.168.1.37") or an IPv6 address in its
// textual forms ("fe80::1", "::ffff:10.0.0.1"), with nothing around it. Such a text holds only
// hex digits, dots and colons, so it is one word to the shell as it stands.
bool isIPAddress(std::string_view text);

// An IPv4 address in dotted-quad form as a number, for comparing and counting; nothing for any
// other text.
std::optional<std::uint32_t> ipv4Number(std::string_view text);

} // namespace veltrona
