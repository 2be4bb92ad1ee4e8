#pragma once
// One server setting changed by name, as a command line gives it ("host=vpn.example.org"): the
// same values the window's fields hold, with the menu's choice of types enforced.

#include "foundation/Status.h"
#include "vpnserver/ServerSettings.h"

#include <cstddef>
#include <string_view>

namespace veltrona {

// The longest value a setting takes.
inline constexpr std::size_t kMaxSettingLength = 255;

// The names: "type" (L2TP or PPTP, any letter case), "host", "dns" and "domains" (comma-separated,
// as in the fields), "range" ("START-END", or empty for neither). The shared secret has its own
// road, with its keychain item. A value that is not UTF-8 or holds a control character (a field
// cannot) is refused, as is an unknown name, a value over kMaxSettingLength, range ends that are
// no IPv4 addresses or out of order, DNS servers that are no IP addresses, a host that is neither
// a DNS name nor an address, and domains that are no DNS names; `settings` is then unchanged and
// the message begins with the name.
Status changeSetting(ServerSettings& settings, std::string_view name, std::string_view value);

// "NAME=VALUE" split at its first "=" and applied.
Status changeSetting(ServerSettings& settings, std::string_view assignment);

} // namespace veltrona
