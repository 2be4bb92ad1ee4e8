// Key and key-path access as the server settings use it.
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"

#include <gtest/gtest.h>

#include <functional>

namespace veltrona::test {
namespace {

PlistValue serverSettings()
{
    PlistDictionary dns;
    dns.set("OfferedServerAddresses", PlistArray{"10.0.0.1"});
    PlistDictionary l2tp;
    l2tp.set("DNS", dns);
    l2tp.set("Name", "not a dictionary");
    PlistDictionary ppp;
    ppp.set("L2TP", l2tp);
    PlistDictionary apple;
    apple.set("ppp", ppp);
    PlistDictionary com;
    com.set("apple", apple);
    PlistDictionary servers;
    servers.set("com", com);
    PlistDictionary root;
    root.set("Servers", servers);
    root.set("VPNHost", "vpn.example.com");
    root.set("Servers.com.apple.ppp.L2TP", "a key with dots is not a path");
    return root;
}

TEST(KeyPath, resolvesOneComponentAtATime)
{
    const PlistValue root = serverSettings();
    struct Case {
        std::string path;
        std::optional<PlistValue> expected;
    };
    const std::vector<Case> cases = {
        {"VPNHost", PlistValue("vpn.example.com")},
        {"Servers.com.apple.ppp.L2TP.DNS.OfferedServerAddresses", PlistValue(PlistArray{"10.0.0.1"})},
        {"Servers.com.apple.ppp.PPTP", std::nullopt},                              // missing entry
        {"Servers.com.apple.ppp.PPTP.DNS", std::nullopt},                          // through a missing entry
        {"VPNHost.length", std::nullopt},                                          // through a string
        {"Servers.com.apple.ppp.L2TP.Name.x", std::nullopt},                       // through a string deeper down
        {"Servers.com.apple.ppp.L2TP.DNS.OfferedServerAddresses.0", std::nullopt}, // through an array
        {"", std::nullopt},
        {"Servers.", std::nullopt},
        {".Servers", std::nullopt},
    };
    for (const Case& c : cases) {
        const PlistValue* found = valueForKeyPath(root, c.path);
        EXPECT_EQ(found != nullptr, c.expected.has_value()) << c.path;
        if (found && c.expected) {
            EXPECT_EQ(*found, *c.expected) << c.path;
        }
    }
    ASSERT_NE(valueForKey(root, "Servers.com.apple.ppp.L2TP"), nullptr);
    EXPECT_NE(valueForKey(root, "Servers.com.apple.ppp.L2TP")->string(), nullptr);
    EXPECT_EQ(valueForKey(PlistValue("text"), "VPNHost"), nullptr);
}

TEST(KeyPath, foundValueCanBeChangedInPlace)
{
    PlistValue root = serverSettings();
    PlistValue* entry = valueForKeyPath(root, "Servers.com.apple.ppp.L2TP");
    ASSERT_NE(entry, nullptr);
    setValueForKey(valueForKey(*entry, "DNS"), "OfferedSearchDomains", PlistValue(PlistArray{""}));
    const PlistValue* stored = valueForKeyPath(root, "Servers.com.apple.ppp.L2TP.DNS.OfferedSearchDomains");
    ASSERT_NE(stored, nullptr);
    EXPECT_EQ(*stored, PlistValue(PlistArray{""}));
}

TEST(KeyPath, storingFollowsFoundationsRules)
{
    struct Case {
        std::string name;
        std::function<void(PlistValue&)> change;
        std::function<bool(const PlistValue&)> holds;
    };
    const std::vector<Case> cases = {
        {"store adds a key", [](PlistValue& root) { setValueForKey(&root, "SharedSecret", PlistValue(PlistData{})); },
         [](const PlistValue& root) { return valueForKey(root, "SharedSecret")->data()->empty(); }},
        {"store replaces a value of another kind",
         [](PlistValue& root) { setValueForKey(&root, "VPNHost", PlistValue(7)); },
         [](const PlistValue& root) { return *valueForKey(root, "VPNHost") == PlistValue(7); }},
        {"storing nothing removes the key", [](PlistValue& root) { setValueForKey(&root, "VPNHost", std::nullopt); },
         [](const PlistValue& root) {
             return valueForKey(root, "VPNHost") == nullptr && root.dictionary()->size() == 2;
         }},
        {"removing a missing key changes nothing",
         [](PlistValue& root) { setValueForKey(&root, "Absent", std::nullopt); },
         [](const PlistValue& root) { return root == serverSettings(); }},
        {"storing into a missing dictionary does nothing",
         [](PlistValue& root) {
             setValueForKey(valueForKeyPath(root, "Servers.com.apple.ppp.PPTP.IPv4"), "X", PlistValue(1));
         },
         [](const PlistValue& root) { return root == serverSettings(); }},
        {"storing into a string does nothing",
         [](PlistValue& root) { setValueForKey(valueForKey(root, "VPNHost"), "X", PlistValue(1)); },
         [](const PlistValue& root) { return root == serverSettings(); }},
    };
    for (const Case& c : cases) {
        PlistValue root = serverSettings();
        c.change(root);
        EXPECT_TRUE(c.holds(root)) << c.name;
    }
}

} // namespace
} // namespace veltrona::test
