// SHA-0 against the examples published with FIPS 180 (1993), including a message of more than one
// block and one of a million bytes.
#include "platform/vpnd/Sha0.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace veltrona {
namespace {

std::string hex(const std::array<unsigned char, 20>& digest)
{
    std::string text;
    char pair[3];
    for (unsigned char byte : digest) {
        std::snprintf(pair, sizeof(pair), "%02x", byte);
        text += pair;
    }
    return text;
}

TEST(Sha0, PublishedExamples)
{
    EXPECT_EQ(hex(sha0("abc")), "0164b8a914cd2a5e74c4f7ff082c4d97f1edf880");
    EXPECT_EQ(hex(sha0("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq")),
              "d2516ee1acfa5baf33dfc1c471e438449ef134c8");
    EXPECT_EQ(hex(sha0(std::string(1000000, 'a'))), "3232affa48628a26653b5aaa44541fd90d690603");
}

} // namespace
} // namespace veltrona
