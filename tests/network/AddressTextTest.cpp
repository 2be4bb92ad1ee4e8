// Which texts pass as IP addresses into a command line.

#include "foundation/AddressText.h"

#include <gtest/gtest.h>
#include <string>

namespace veltrona::test {
namespace {

TEST(AddressText, AddressesPass)
{
    for (const char* text : {"192.168.1.37", "0.0.0.0", "255.255.255.255", "::1", "fd00::1", "fe80::1:2:3:4",
                             "::ffff:10.0.0.1", "2001:db8:0:0:0:0:0:1"})
        EXPECT_TRUE(isIPAddress(text)) << text;
}

TEST(AddressText, EverythingElseFails)
{
    using namespace std::string_literals;
    for (const std::string& text : {""s, "192.168.1"s, "1.2.3.4.5"s, "192.168.1.256"s, "1.2.3.-4"s, " 1.2.3.4"s,
                                    "1.2.3.4 "s, "1.2.3.4\n"s, "1.2.3.4;reboot"s, "1.2.3.4\0;reboot"s, "$(reboot)"s,
                                    "`id`"s, "localhost"s, "fe80::1%en0"s, "::1::2"s, "[::1]"s, "1.2.3.4/24"s})
        EXPECT_FALSE(isIPAddress(text)) << text;
}

} // namespace
} // namespace veltrona::test
