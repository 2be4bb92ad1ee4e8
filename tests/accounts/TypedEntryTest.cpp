// Names and secrets that arrive whole are taken only when the entry filter would keep all of them.
#include "accounts/TypedEntry.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(TypedEntry, TakenOnlyWhenTheFilterWouldDropNothing)
{
    struct Case {
        std::string text;
        bool lowerCase;
        std::optional<std::string> accepted;
    };
    const Case cases[] = {
        {"alice", true, "alice"},
        {"Alice42", true, "alice42"},
        {"Alice42", false, "Alice42"},
        {"J\xC3\xBCRGEN", true, "j\xC3\xBCrgen"},                       // Ü lower-cased to ü
        {"\xC4\xB0stanbul", true, "i\xCC\x87stanbul"},                  // İ becomes two characters, i and a dot
        {"\xE6\x9D\x8E\xE5\x9B\x9B", true, "\xE6\x9D\x8E\xE5\x9B\x9B"}, // a name in Han letters
        {"bob smith", true, std::nullopt},
        {"bob-1", true, std::nullopt},
        {"a;rm -rf /", false, std::nullopt},
        {"x\xF0\x9F\x98\x80", false, std::nullopt}, // beyond the BMP: dropped by the field
        {"bad\xFF", true, std::nullopt},            // not UTF-8
        {"", true, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(acceptedEntry(c.text, c.lowerCase), c.accepted) << c.text;
}

} // namespace
} // namespace veltrona::test
