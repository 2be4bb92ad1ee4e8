#include "services/Base64.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace veltrona::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes bytesOf(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

std::string encode(const Bytes& bytes, bool separateLines)
{
    std::size_t length = 0;
    const auto text = base64Encode(bytes.data(), bytes.size(), separateLines, &length);
    if (!text) {
        ADD_FAILURE() << "encoder returned nothing for " << bytes.size() << " bytes";
        return {};
    }
    EXPECT_EQ(std::strlen(text.get()), length) << "the NUL must follow the reported length";
    return std::string(text.get(), length);
}

Bytes decode(std::string_view text)
{
    std::size_t length = 0;
    const auto bytes = base64Decode(text.data(), text.size(), &length);
    if (!bytes) {
        ADD_FAILURE() << "decoder returned nothing for " << text.size() << " characters";
        return {};
    }
    return Bytes(bytes.get(), bytes.get() + length);
}

// The independent oracle: OpenSSL's block codec (padded, unbroken text only).
std::string opensslEncode(const Bytes& bytes)
{
    std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(), static_cast<int>(bytes.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

Bytes opensslDecode(const std::string& text)
{
    Bytes bytes(text.size() / 4 * 3 + 3);
    int length = EVP_DecodeBlock(bytes.data(), reinterpret_cast<const unsigned char*>(text.data()),
                                 static_cast<int>(text.size()));
    EXPECT_GE(length, 0) << "oracle rejected " << text;
    // EVP_DecodeBlock counts the bytes that the padding stands in for.
    for (auto it = text.rbegin(); it != text.rend() && *it == '='; ++it)
        --length;
    bytes.resize(static_cast<std::size_t>(std::max(length, 0)));
    return bytes;
}

std::string withLineBreaks(const std::string& text)
{
    std::string broken;
    for (std::size_t at = 0; at < text.size(); at += 64) {
        if (at != 0)
            broken += "\r\n";
        broken += text.substr(at, 64);
    }
    return broken;
}

Bytes randomBytes(std::mt19937& random, std::size_t count)
{
    std::uniform_int_distribution<int> byte(0, 255);
    Bytes bytes(count);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(byte(random));
    return bytes;
}

TEST(Base64, KnownValuesEncodeAndDecodeBack)
{
    const struct {
        std::string_view plain, encoded;
    } cases[] = {
        {"", ""},
        {"a", "YQ=="},
        {"ab", "YWI="},
        {"abc", "YWJj"},
        {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"},
        {"\xff\xfe\xfd", "//79"},
        {std::string_view("\0\0", 2), "AAA="},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encode(bytesOf(c.plain), false), c.encoded) << c.plain;
        EXPECT_EQ(encode(bytesOf(c.plain), true), c.encoded) << c.plain;
        EXPECT_EQ(decode(c.encoded), bytesOf(c.plain)) << c.encoded;
    }
}

TEST(Base64, DecodingPassesOverEveryByteOutsideTheAlphabet)
{
    const struct {
        std::string_view text;
        Bytes expected;
    } cases[] = {
        {"YQ", bytesOf("a")},
        {"Y", {}},
        {"YWJjY", bytesOf("abc")},
        {"YWJjYW", bytesOf("abca")},
        {"YWJj\n", bytesOf("abc")},
        {"YWJj\r\n\r\n", bytesOf("abc")},
        {"====", {}},
        {"\r\n\n\r", {}},
        {" Y W\tJ j ", bytesOf("abc")},
        {"YWJj=YWJj", bytesOf("abcabc")},
        {"YQ==YQ==", {0x61, 0x06, 0x10}},
        {"Y===Q", bytesOf("a")},
        {"YW\x80Jj", bytesOf("abc")},
        {"YW\xff\xc3\xa9Jj", bytesOf("abc")},
        {std::string_view("YW\0Jj", 5), bytesOf("abc")},
        {"Y.W-J_j!", bytesOf("abc")},
    };
    for (const auto& c : cases)
        EXPECT_EQ(decode(c.text), c.expected) << '"' << c.text << '"';
}

TEST(Base64, OnlyTheSixtyFourAlphabetBytesCarryValues)
{
    const std::string_view alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int byte = 0; byte < 256; ++byte) {
        const std::string group(4, static_cast<char>(byte));
        const bool inAlphabet = alphabet.find(static_cast<char>(byte)) != std::string_view::npos;
        EXPECT_EQ(decode(group), inAlphabet ? opensslDecode(group) : Bytes{}) << "byte " << byte;
    }
}

TEST(Base64, AllOnesLengthMeasuresNulTerminatedInput)
{
    const struct {
        const char* text;
        Bytes expected;
    } cases[] = {
        {"", {}},
        {"YWJjZA==", bytesOf("abcd")},
        {"YWJj\0ZA==", bytesOf("abc")},
    };
    for (const auto& c : cases) {
        std::size_t length = 99;
        const auto bytes = base64Decode(c.text, kBase64NulTerminated, &length);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(Bytes(bytes.get(), bytes.get() + length), c.expected) << c.text;
    }
}

TEST(Base64, LengthVariableIsOptional)
{
    const auto text = base64Encode("abcd", 4, false, nullptr);
    ASSERT_TRUE(text);
    EXPECT_STREQ(text.get(), "YWJjZA==");
    const auto bytes = base64Decode(text.get(), std::strlen(text.get()), nullptr);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(std::memcmp(bytes.get(), "abcd", 4), 0);
}

TEST(Base64, LineBreaksFollowEachFullLineThatMoreInputFollows)
{
    const struct {
        std::size_t bytes, characters;
        std::vector<std::size_t> breaks;
    } cases[] = {
        {47, 64, {}}, {48, 64, {}}, {49, 70, {64}}, {96, 130, {64}}, {97, 136, {64, 130}},
    };
    for (const auto& c : cases) {
        const std::string text = encode(Bytes(c.bytes, 0xA5), true);
        EXPECT_EQ(text.size(), c.characters) << c.bytes << " bytes";
        std::vector<std::size_t> breaks;
        for (auto at = text.find('\r'); at != std::string::npos; at = text.find('\r', at + 1)) {
            breaks.push_back(at);
            EXPECT_EQ(text.substr(at, 2), "\r\n");
        }
        EXPECT_EQ(breaks, c.breaks) << c.bytes << " bytes";
    }
}

TEST(Base64, RandomRoundTripsAgreeWithOpenSsl)
{
    std::mt19937 random(20151001);
    for (std::size_t count = 0; count <= 4096; ++count) {
        const Bytes bytes = randomBytes(random, count);
        const std::string oracle = opensslEncode(bytes);
        const std::string single = encode(bytes, false);
        const std::string broken = encode(bytes, true);
        ASSERT_EQ(single, oracle) << count << " bytes";
        ASSERT_EQ(broken, withLineBreaks(oracle)) << count << " bytes";
        ASSERT_EQ(decode(single), bytes) << count << " bytes";
        ASSERT_EQ(decode(broken), bytes) << count << " bytes";
        ASSERT_EQ(opensslDecode(single), bytes) << count << " bytes";
    }
}

TEST(Base64, SkippedBytesAnywhereLeaveTheOutputAlone)
{
    std::mt19937 random(7);
    const std::string junk = std::string("= \t\r\n.-_!\"#") + '\0' + "\x80\xc3\xff";
    std::uniform_int_distribution<std::size_t> pick(0, junk.size() - 1);
    for (std::size_t count = 0; count <= 300; ++count) {
        const Bytes bytes = randomBytes(random, count);
        std::string text = opensslEncode(bytes);
        std::uniform_int_distribution<std::size_t> where(0, text.size());
        for (int inserted = 0; inserted < 20; ++inserted)
            text.insert(where(random), 1, junk[pick(random)]);
        ASSERT_EQ(decode(text), bytes) << count << " bytes";
    }
}

TEST(Base64, UnallocatableBuffersGiveNothingAndLeaveTheLengthAlone)
{
    const char input[] = "YWJj";
    const std::size_t max = std::numeric_limits<std::size_t>::max();
    // 3 * 2^62 bytes would need exactly 2^64 characters: a wrapping size computation asks for 1.
    const std::size_t wrapsToOne = 3 * (max / 4 + 1);
    for (const std::size_t length : {max / 2, max / 4, max - 1, wrapsToOne}) {
        for (const bool lines : {false, true}) {
            std::size_t reported = 12345;
            EXPECT_FALSE(base64Encode(input, length, lines, &reported)) << length;
            EXPECT_EQ(reported, 12345U);
        }
    }
    std::size_t reported = 12345;
    EXPECT_FALSE(base64Decode(input, max - 1, &reported));
    EXPECT_EQ(reported, 12345U);
}

TEST(Base64, DataFromStringRequiresPureAscii)
{
    const struct {
        std::string_view text;
        Bytes expected;
    } cases[] = {
        {"", {}}, {"YWJj", bytesOf("abc")}, {"YW\r\nJj", bytesOf("abc")}, {"YW\x80Jj", {}}, {"YWJj\xc3\xa9", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(dataFromBase64String(c.text), c.expected) << c.text;
}

TEST(Base64, TextRoundTripGivesBackItsUtf8Bytes)
{
    const std::string texts[] = {
        "", "s3cret", "p\xc3\xa4sswort", "\xe6\x97\xa5\xe6\x9c\xac", "a b\tc\n", std::string(1000, 'x'),
    };
    for (const auto& text : texts) {
        const std::string encoded = base64EncodedString(bytesOf(text));
        EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos) << "no line breaks";
        EXPECT_EQ(dataFromBase64String(encoded), bytesOf(text)) << text;
    }
}

} // namespace
} // namespace veltrona::test
