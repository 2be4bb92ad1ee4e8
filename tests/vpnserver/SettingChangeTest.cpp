// Settings changed by name: accepted values land in their field, refused ones change nothing.
#include "vpnserver/SettingChange.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

const ServerSettings kBefore{"L2TP", "old.example.org", "secret", "10.0.0.1", "lan", "10.0.0.224", "10.0.0.254"};

TEST(SettingChange, AcceptedValuesLandInTheirFieldAndRefusedOnesChangeNothing)
{
    struct Case {
        std::string assignment;
        bool accepted;
        ServerSettings after;
    };
    auto with = [](auto change) {
        ServerSettings s = kBefore;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"type=PPTP", true, with([](ServerSettings& s) { s.type = "PPTP"; })},
        {"type=pptp", true, with([](ServerSettings& s) { s.type = "PPTP"; })},
        {"type=IKEv2", false, kBefore},
        {"type=", false, kBefore},
        {"host=vpn.example.org", true, with([](ServerSettings& s) { s.vpnHost = "vpn.example.org"; })},
        {"host=", true, with([](ServerSettings& s) { s.vpnHost.clear(); })},
        {"host=a=b", false, kBefore}, // split at the first "=": "a=b" is no host name
        {"dns=1.1.1.1, 8.8.8.8", true, with([](ServerSettings& s) { s.dnsServerAddresses = "1.1.1.1, 8.8.8.8"; })},
        {"domains=lan,home", true, with([](ServerSettings& s) { s.searchDomains = "lan,home"; })},
        {"range=192.168.1.224-192.168.1.254", true, with([](ServerSettings& s) {
             s.startIPAddress = "192.168.1.224";
             s.endIPAddress = "192.168.1.254";
         })},
        {"range=", true, with([](ServerSettings& s) {
             s.startIPAddress.clear();
             s.endIPAddress.clear();
         })},
        {"range=192.168.1.224", false, kBefore},
        {"range=-192.168.1.254", false, kBefore},
        {"range=1-2-3", false, kBefore},
        {"host=evil\nVPNHost", false, kBefore},
        {"host=bad\xFF", false, kBefore},
        {"secret=x", false, kBefore}, // the secret has its own road
        {"=x", false, kBefore},
        {"host", false, kBefore},
    };
    for (const Case& c : cases) {
        ServerSettings settings = kBefore;
        const Status status = changeSetting(settings, c.assignment);
        EXPECT_EQ(status.ok(), c.accepted) << c.assignment;
        EXPECT_EQ(settings, c.after) << c.assignment;
        if (!c.accepted) {
            EXPECT_FALSE(status.message().empty()) << c.assignment;
        }
    }
}

// Issue 17: values the server cannot use were written as they came. Each refusal names its key.
TEST(SettingChange, ValuesTheServerCannotUseAreRefusedNamingTheirKey)
{
    const std::string longName = std::string(63, 'a') + "." + std::string(63, 'b') + "." + std::string(63, 'c') + "."
                                 + std::string(61, 'd'); // 253 characters: the longest DNS name
    const struct {
        std::string assignment;
        bool accepted;
    } cases[] = {
        {"range=foo-$(id)", false},
        {"range=10.0.0.1-10.0.0.300", false},
        {"range=10.0.0.254-10.0.0.224", false},
        {"range=10.0.0.224-10.0.0.224", true},
        {"range=fe80::1-fe80::9", false},
        {"dns=not an ip", false},
        {"dns=1.1.1.1, 2001:db8::1", true},
        {"dns=1.1.1.1,,8.8.8.8", false},
        {"dns=1.1.1.1;id", false},
        {"host=vpn.example.org.", true},
        {"host=192.0.2.7", true},
        {"host=2001:db8::7", true},
        {"host=$(id)", false},
        {"host=-lead.example.org", false},
        {"host=a..b", false},
        {"host=" + longName, true},
        {"host=" + longName + "d", false},
        {"host=" + std::string(64, 'a') + ".org", false},
        {"domains=lan, example.org", true},
        {"domains=lan home", false},
        {"domains=x_y", false},
        {"domains=" + std::string(255, 'a'), false}, // a label over 63
        {"type=" + std::string(256, 'L'), false},
    };
    for (const auto& c : cases) {
        ServerSettings settings = kBefore;
        const Status status = changeSetting(settings, c.assignment);
        EXPECT_EQ(status.ok(), c.accepted) << c.assignment;
        if (!c.accepted) {
            const std::string key = c.assignment.substr(0, c.assignment.find('='));
            EXPECT_EQ(settings, kBefore) << c.assignment;
            EXPECT_TRUE(status.message().starts_with(key + ": ")) << status.message();
        }
    }
    ServerSettings settings = kBefore;
    EXPECT_EQ(changeSetting(settings, "domains=" + std::string(256, 'a')).message(),
              "domains: the value is 256 characters long; the limit is 255.");
    EXPECT_EQ(changeSetting(settings, "range=foo-$(id)").message(), "range: \"foo\" is not an IPv4 address.");
    EXPECT_EQ(changeSetting(settings, "dns=1.1.1.1, not an ip").message(), "dns: \"not an ip\" is not an IP address.");
}

} // namespace
} // namespace veltrona::test
