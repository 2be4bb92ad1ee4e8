// The RADIUS responder as SoftEther asks it: an Access-Request laid out the way SoftEther's
// RadiusLogin builds it, answered with the exact MS-CHAP2-Success bytes it searches for.

#include "platform/vpnd/RadiusResponder.h"

#include <openssl/evp.h>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

const std::string kChallenge = "\x5B\x5D\x7C\x7D\x7B\x3F\x2F\x3E\x3C\x2C\x60\x21\x32\x26\x26\x28";
const std::string kPeerChallenge = "\x21\x40\x23\x24\x25\x5E\x26\x2A\x28\x29\x5F\x2B\x3A\x33\x7C\x7E";
const std::string kNtResponse =
    "\x82\x30\x9E\xCD\x8D\x70\x8B\x5E\xA0\x8F\xAA\x39\x81\xCD\x83\x54\x42\x33\x11\x4A\x3D\x85\xD6\xDF";
const std::string kRequestAuthenticator(16, '\x07');

std::string attribute(unsigned char type, const std::string& value)
{
    return std::string(1, static_cast<char>(type)) + static_cast<char>(value.size() + 2) + value;
}

std::string microsoft(unsigned char type, const std::string& value)
{
    return attribute(26, std::string("\0\0\x01\x37", 4) + static_cast<char>(type) + static_cast<char>(value.size() + 2)
                             + value);
}

std::string request(const std::string& user, std::string attributes = {})
{
    if (attributes.empty())
        attributes = attribute(1, user) + microsoft(1, std::string("\0\0\x01\x37", 4)) + microsoft(11, kChallenge)
                     + microsoft(25, std::string(2, '\0') + kPeerChallenge + std::string(8, '\0') + kNtResponse)
                     + attribute(32, "SoftEther VPN Server");
    const std::size_t length = 20 + attributes.size();
    return std::string("\x01\x2A", 2) + static_cast<char>(length >> 8) + static_cast<char>(length & 0xff)
           + kRequestAuthenticator + attributes;
}

// RFC 2759's example user, password "clientPass".
std::optional<std::string> rfcUser(const MsChapV2Exchange& exchange)
{
    return exchange.userName == "User" ? verifyMsChapV2(exchange, *ntPasswordHash("clientPass")) : std::nullopt;
}

std::string md5(const std::string& bytes)
{
    unsigned char digest[16];
    EVP_Digest(bytes.data(), bytes.size(), digest, nullptr, EVP_md5(), nullptr);
    return std::string(reinterpret_cast<char*>(digest), 16);
}

TEST(RadiusResponderTest, AcceptsWithTheProofSoftEtherLooksForAndSignsTheReply)
{
    const std::optional<std::string> accept = radiusAnswer(request("User"), "s3cret", rfcUser);
    ASSERT_TRUE(accept);
    EXPECT_EQ(accept->substr(0, 2), std::string("\x02\x2A", 2));
    // SoftEther finds the proof by these bytes: VSA of 51, vendor 311, MS-CHAP2-Success of 45, ident 0, "S=".
    const std::string signature("\x1A\x33\x00\x00\x01\x37\x1A\x2D\x00\x53\x3D", 11);
    const std::size_t at = accept->find(signature);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(accept->substr(at + 9, 42), "S=407A5589115FD0D6209F510FE9C04566932CDA56");
    const std::size_t length =
        (static_cast<unsigned char>((*accept)[2]) << 8) | static_cast<unsigned char>((*accept)[3]);
    EXPECT_EQ(length, accept->size());
    const std::string unsignedReply = accept->substr(0, 4) + kRequestAuthenticator + accept->substr(20);
    EXPECT_EQ(accept->substr(4, 16), md5(unsignedReply + "s3cret"));
}

TEST(RadiusResponderTest, RefusesWrongAnswersAndIgnoresWhatIsNoRequest)
{
    for (const char* user : {"user", "admin", ""}) {
        const std::optional<std::string> reply = radiusAnswer(request(user), "s3cret", rfcUser);
        ASSERT_TRUE(reply) << user;
        EXPECT_EQ((*reply)[0], '\x03') << user;
    }
    const std::string good = request("User");
    const std::vector<std::string> malformed = {
        "",
        good.substr(0, 19),
        "\x02" + good.substr(1),                                            // not an Access-Request
        good.substr(0, good.size() - 1),                                    // shorter than its length field
        request("User", attribute(1, "User")),                              // no MS-CHAPv2 attributes
        request("User", attribute(1, "User") + std::string("\x1A\x01", 2)), // attribute shorter than its header
    };
    for (const std::string& datagram : malformed)
        EXPECT_FALSE(radiusAnswer(datagram, "s3cret", rfcUser)) << datagram.size();
}

} // namespace
} // namespace veltrona::test
