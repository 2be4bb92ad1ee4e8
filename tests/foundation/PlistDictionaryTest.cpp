// The dictionary keeps key order and compares by content.
#include "foundation/PlistValue.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

std::vector<std::string> keysOf(const PlistDictionary& dictionary)
{
    std::vector<std::string> keys;
    for (const auto& entry : dictionary)
        keys.push_back(entry.first);
    return keys;
}

TEST(PlistDictionary, replacingKeepsThePlaceAndRemovingCloses)
{
    PlistDictionary dictionary;
    dictionary.set("b", 1);
    dictionary.set("a", 2);
    dictionary.set("c", 3);
    dictionary.set("b", "replaced");
    EXPECT_EQ(keysOf(dictionary), (std::vector<std::string>{"b", "a", "c"}));
    EXPECT_EQ(*dictionary.find("b"), PlistValue("replaced"));
    EXPECT_TRUE(dictionary.remove("a"));
    EXPECT_FALSE(dictionary.remove("a"));
    EXPECT_EQ(keysOf(dictionary), (std::vector<std::string>{"b", "c"}));
    EXPECT_FALSE(dictionary.contains("a"));
}

TEST(PlistDictionary, equalityIgnoresOrderButNotContent)
{
    PlistDictionary first;
    first.set("x", 1);
    first.set("y", PlistArray{"a"});
    PlistDictionary reordered;
    reordered.set("y", PlistArray{"a"});
    reordered.set("x", 1);
    PlistDictionary otherKind = reordered;
    otherKind.set("x", 1.0);
    PlistDictionary extraKey = reordered;
    extraKey.set("z", 1);
    PlistDictionary otherKey;
    otherKey.set("x", 1);
    otherKey.set("w", PlistArray{"a"});

    EXPECT_EQ(first, reordered);
    EXPECT_NE(first, otherKind);
    EXPECT_NE(first, extraKey);
    EXPECT_NE(extraKey, first);
    EXPECT_NE(first, otherKey);
}

} // namespace
} // namespace veltrona::test
