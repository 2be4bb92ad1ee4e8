// The text operations as Foundation performs them.
#include "foundation/Text.h"

#include <gtest/gtest.h>

#include <climits>
#include <set>

namespace veltrona::test {
namespace {

TEST(Text, intValueReadsLikeFoundation)
{
    const std::vector<std::pair<std::string, int>> cases = {
        {" 42abc", 42},
        {"-7", -7},
        {"x", 0},
        {"", 0},
        {"+5", 5},
        {"  \t-0012z", -12},
        {"401", 401},
        {"4 01", 4},
        {"- 5", 0},
        {"+-5", 0},
        {"\n\r 13", 13},
        {"\xC2\xA0"
         "9",
         9}, // no-break space before the digits
        {"\xE3\x80\x80"
         "-3",
         -3},                // ideographic space
        {"\xEF\xBC\x95", 0}, // a full-width digit is no decimal digit here
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"99999999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"-99999999999999999999999", INT_MIN},
        {"000000000000000000000000042", 42},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(intValue(text), expected) << '"' << text << '"';
}

TEST(Text, whiteSpaceIsStrippedFromBothEndsOnly)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"  name  ", "name"},
        {"\tname\t", "name"},
        {"\xC2\xA0name\xC2\xA0", "name"},                     // U+00A0 no-break space
        {"\xE3\x80\x80name\xE3\x80\x80", "name"},             // U+3000 ideographic space
        {"\xE2\x80\x80\xE2\x80\x8Aname\xE2\x80\xAF", "name"}, // U+2000, U+200A, U+202F
        {"\xE1\x9A\x80\xE2\x81\x9Fname", "name"},             // U+1680, U+205F
        {"\nname\n", "\nname\n"},                             // line ends stay
        {" \r\n", "\r\n"},
        {"\xE2\x80\xA8name", "\xE2\x80\xA8name"}, // U+2028 line separator stays
        {"\xE2\x80\x8Bname", "\xE2\x80\x8Bname"}, // U+200B zero width space is no Zs
        {"in  side", "in  side"},
        {" \t \xC2\xA0 ", ""},
        {"", ""},
        {" caf\xC3\xA9 ", "caf\xC3\xA9"},
        {" \xFF ", "\xFF"},       // invalid UTF-8 is kept, not cut
        {"a\xC2", "a\xC2"},       // a cut-off sequence at the end stays
        {"\xA0name", "\xA0name"}, // a lone continuation byte is no space
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(trimWhitespace(text), expected) << '"' << text << '"';
}

TEST(Text, splitKeepsEveryPieceAndJoinRestoresIt)
{
    struct Case {
        std::string text;
        std::string separator;
        std::vector<std::string> pieces;
    };
    const std::vector<Case> cases = {
        {"8.8.8.8, 8.8.4.4", ",", {"8.8.8.8", " 8.8.4.4"}},
        {"a,,b", ",", {"a", "", "b"}},
        {"a,", ",", {"a", ""}},
        {",a", ",", {"", "a"}},
        {"", ",", {""}},
        {",", ",", {"", ""}},
        {"com.apple.ppp.L2TP", ".", {"com", "apple", "ppp", "L2TP"}},
        {"no separator", ".", {"no separator"}},
        {"a, b, c", ", ", {"a", "b", "c"}},
        {"aaa", "aa", {"", "a"}},
        {"text", "", {"text"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split(c.text, c.separator), c.pieces) << '"' << c.text << "\" at \"" << c.separator << '"';
        if (!c.separator.empty()) {
            EXPECT_EQ(join(c.pieces, c.separator), c.text);
        }
    }
    EXPECT_EQ(join({}, ", "), "");
    EXPECT_EQ(join({"one"}, ", "), "one");
    EXPECT_EQ(join({"a", "", "b"}, ", "), "a, , b");
}

TEST(Text, uuidStringIsAnUpperCaseVersionFourUuid)
{
    std::set<std::string> seen;
    for (int i = 0; i < 64; ++i) {
        const std::string uuid = uuidString();
        ASSERT_EQ(uuid.size(), 36u) << uuid;
        for (std::size_t at = 0; at < uuid.size(); ++at) {
            const bool dash = at == 8 || at == 13 || at == 18 || at == 23;
            const char c = uuid[at];
            const bool hex = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
            ASSERT_TRUE(dash ? c == '-' : hex) << uuid << " at " << at;
        }
        EXPECT_EQ(uuid[14], '4') << uuid;
        EXPECT_NE(std::string("89AB").find(uuid[19]), std::string::npos) << uuid;
        seen.insert(uuid);
    }
    EXPECT_EQ(seen.size(), 64u);
}

} // namespace
} // namespace veltrona::test
