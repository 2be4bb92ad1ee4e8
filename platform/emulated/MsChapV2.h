#pragma once
// The authenticator's side of MS-CHAPv2 (RFC 2759): checks a peer's NT-Response against the
// account's NT hash and makes the "S=..." proof the peer checks in turn.

#include "platform/emulated/NtHash.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

using MsChapChallenge = std::array<std::uint8_t, 16>;
using MsChapNtResponse = std::array<std::uint8_t, 24>;

struct MsChapV2Exchange {
    MsChapChallenge authenticatorChallenge{};
    MsChapChallenge peerChallenge{};
    MsChapNtResponse ntResponse{};
    std::string userName; // as the peer sent it
};

// The NT-Response a peer knowing the password would send.
MsChapNtResponse msChapV2NtResponse(const MsChapV2Exchange& exchange, const NtHash& ntHash);

// "S=" and 40 upper-case hex digits.
std::string msChapV2AuthenticatorResponse(const MsChapV2Exchange& exchange, const NtHash& ntHash);

// The authenticator response when the peer's NT-Response is right; nothing otherwise.
std::optional<std::string> verifyMsChapV2(const MsChapV2Exchange& exchange, const NtHash& ntHash);

} // namespace veltrona
