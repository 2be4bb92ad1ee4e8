// The --json writer: every text becomes a valid JSON string, whatever it holds.
#include "cli/Json.h"

#include <gtest/gtest.h>

namespace veltrona::cli {
namespace {

TEST(Json, TextsAreEscapedAndValuesWrittenInOrder)
{
    const std::pair<std::string, std::string> texts[] = {
        {"plain", R"("plain")"},
        {"quote \" backslash \\", R"("quote \" backslash \\")"},
        {"line\nbreak\ttab\r", R"("line\nbreak\ttab\r")"},
        {std::string("nul\0bell\x07", 9), R"("nul\u0000bell\u0007")"},
        {"\xE2\x80\x99 typographic", "\"\xE2\x80\x99 typographic\""},
    };
    for (const auto& [text, written] : texts)
        EXPECT_EQ(Json(text).dump(), written);

    Json document = Json::object({{"b", true}, {"n", 10000}, {"none", nullptr}, {"list", Json::Array{1, "x"}}});
    document.set("empty", Json::Object{});
    EXPECT_EQ(document.dump(), R"({"b":true,"n":10000,"none":null,"list":[1,"x"],"empty":{}})");
}

} // namespace
} // namespace veltrona::cli
