// MS-CHAPv2 as the authenticator computes it, against RFC 2759's worked example (section 9.2),
// and the SMB-NT hash the directory keeps for it.

#include "platform/emulated/MsChapV2.h"
#include "platform/emulated/PasswordHash.h"

#include <gtest/gtest.h>

#include <string>

namespace veltrona::test {
namespace {

template <std::size_t N> std::array<std::uint8_t, N> hexBytes(std::string_view hex)
{
    std::array<std::uint8_t, N> bytes{};
    for (std::size_t i = 0; i < N; ++i)
        bytes[i] = static_cast<std::uint8_t>(std::stoi(std::string(hex.substr(2 * i, 2)), nullptr, 16));
    return bytes;
}

MsChapV2Exchange rfcExchange()
{
    MsChapV2Exchange exchange;
    exchange.userName = "User";
    exchange.authenticatorChallenge = hexBytes<16>("5B5D7C7D7B3F2F3E3C2C602132262628");
    exchange.peerChallenge = hexBytes<16>("21402324255E262A28295F2B3A337C7E");
    exchange.ntResponse = hexBytes<24>("82309ECD8D708B5EA08FAA3981CD83544233114A3D85D6DF");
    return exchange;
}

TEST(MsChapV2Test, TheRfcExampleVerifiesAndAnythingElseIsRefused)
{
    const std::optional<NtHash> hash = ntPasswordHash("clientPass");
    ASSERT_TRUE(hash);
    EXPECT_EQ(*hash, hexBytes<16>("44EBBA8D5312B8D611474411F56989AE"));

    MsChapV2Exchange exchange = rfcExchange();
    EXPECT_EQ(msChapV2NtResponse(exchange, *hash), exchange.ntResponse);
    EXPECT_EQ(verifyMsChapV2(exchange, *hash), "S=407A5589115FD0D6209F510FE9C04566932CDA56");

    EXPECT_FALSE(verifyMsChapV2(exchange, *ntPasswordHash("clientpass")));
    exchange.userName = "user"; // the name is part of the challenge hash
    EXPECT_FALSE(verifyMsChapV2(exchange, *hash));
    exchange = rfcExchange();
    exchange.ntResponse[23] ^= 1;
    EXPECT_FALSE(verifyMsChapV2(exchange, *hash));
}

TEST(MsChapV2Test, TheDirectoryKeepsTheNtHashOfEveryPasswordItSets)
{
    // "password" is the well-known 8846F7EA...; a character outside the BMP goes as a surrogate pair.
    EXPECT_EQ(ntPasswordHash("password"), hexBytes<16>("8846F7EAEE8FB117AD06BDD830B7586C"));
    EXPECT_NE(ntPasswordHash("p\xF0\x9F\x94\x91"), ntPasswordHash("p"));
    EXPECT_FALSE(ntPasswordHash("bad\xC3"));

    const std::optional<PlistData> shadow = makeShadowHashData("clientPass", 1000);
    ASSERT_TRUE(shadow);
    EXPECT_EQ(ntHashIn(*shadow), ntPasswordHash("clientPass"));
    EXPECT_TRUE(shadowHashMatches(*shadow, "clientPass"));
    EXPECT_FALSE(ntHashIn(PlistData{'x'}));
}

} // namespace
} // namespace veltrona::test
