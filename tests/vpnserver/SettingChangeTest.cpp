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
        {"host=a=b", true, with([](ServerSettings& s) { s.vpnHost = "a=b"; })}, // split at the first "="
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

} // namespace
} // namespace veltrona::test
