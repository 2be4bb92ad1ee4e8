// Texts to and from property-list arrays.
#include "foundation/PlistStrings.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using Texts = std::vector<std::string>;

TEST(PlistStrings, stringsInKeepsOrderAndSkipsOtherKinds)
{
    const PlistValue mixed = PlistArray{"a", 1, PlistDictionary{}, "", true, "b", PlistArray{"nested"}};
    const PlistValue single = "alone";
    const PlistValue dictionary = PlistDictionary{};
    const struct {
        const char* name;
        const PlistValue* value;
        Texts expected;
    } cases[] = {
        {"mixed array", &mixed, {"a", "", "b"}},
        {"missing", nullptr, {}},
        {"a lone string", &single, {}},
        {"dictionary", &dictionary, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stringsIn(c.value), c.expected) << c.name;
}

TEST(PlistStrings, stringArrayRoundTrips)
{
    for (const Texts& texts : {Texts{}, Texts{"one"}, Texts{"x", "", "x", "10.0.0.1"}}) {
        const PlistValue array = stringArray(texts);
        ASSERT_NE(array.array(), nullptr);
        EXPECT_EQ(array.array()->size(), texts.size());
        EXPECT_EQ(stringsIn(&array), texts);
    }
}

} // namespace
} // namespace veltrona::test
