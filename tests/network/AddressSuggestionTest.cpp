// The address suggestion from a dynamic-store file of an emulated Mac to the window's fields,
// with the look-up's commands and answers recorded.

#include "network/AddressSuggestion.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "tests/support/FileText.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

const std::string kHint37 = "If you\u2019re running the VPN Server on a local network behind a router, set the router "
                            "to forward UDP ports 500, 1701, and 4500 to the IP address: 192.168.1.37";

struct StoreContents {
    std::optional<std::string> primaryInterface;
    std::vector<std::string> addresses;
    std::string subnetMask;
    std::vector<std::string> dnsServers;
};

// The store file as a Mac's store holds the three values (interface en0 unless told otherwise).
void writeStore(const fs::path& root, const StoreContents& contents)
{
    PlistDictionary keys;
    if (contents.primaryInterface) {
        PlistDictionary global;
        global.set("PrimaryInterface", *contents.primaryInterface);
        keys.set("State:/Network/Global/IPv4", global);
    }
    if (!contents.addresses.empty()) {
        PlistDictionary interface;
        interface.set("Addresses", stringArray(contents.addresses));
        interface.set("SubnetMasks", stringArray({contents.subnetMask}));
        keys.set("State:/Network/Interface/en0/IPv4", interface);
    }
    if (!contents.dnsServers.empty()) {
        PlistDictionary dns;
        dns.set("ServerAddresses", stringArray(contents.dnsServers));
        keys.set("State:/Network/Global/DNS", dns);
    }
    const fs::path file = root / "Library/Preferences/SystemConfiguration/dynamic-store.plist";
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(writePlistAtomically(keys, file));
}

struct SuggestionCase {
    const char* name;
    StoreContents store;
    std::string hostField;
    std::string lookUpAnswer;
    AddressSuggestion expected;
};

// Failures name the case, not its bytes.
void PrintTo(const SuggestionCase& c, std::ostream* out)
{
    *out << c.name;
}

class AddressSuggestionTable : public ::testing::TestWithParam<SuggestionCase> { };

TEST_P(AddressSuggestionTable, FieldsAndLookUp)
{
    const SuggestionCase& c = GetParam();
    TempDir root;
    writeStore(root.path(), c.store);
    DynamicStoreEmulated store{PlatformPaths(root.path())};
    RecordingRunner runner;
    runner.queueResult(c.lookUpAnswer);

    const AddressSuggestion got = suggestIPAddresses(readNetworkValues(store), c.hostField, runner);

    EXPECT_EQ(got.startIPAddress, c.expected.startIPAddress);
    EXPECT_EQ(got.endIPAddress, c.expected.endIPAddress);
    EXPECT_EQ(got.portForwardingInfo, c.expected.portForwardingInfo);
    EXPECT_EQ(got.dnsServerAddresses, c.expected.dnsServerAddresses);
    EXPECT_EQ(got.vpnHost, c.expected.vpnHost);
    EXPECT_EQ(got.lookUpCommand, c.expected.lookUpCommand);
    // The look-up runs exactly when there is a command, as three words with no $0.
    std::vector<RecordingRunner::Arguments> runs;
    if (c.expected.lookUpCommand)
        runs.push_back({"/bin/sh", "-c", *c.expected.lookUpCommand});
    EXPECT_EQ(runner.runs(), runs);
}

const std::vector<std::string> kOneServer = {"10.0.0.1"};
const std::string kLookUp37 = "dig @10.0.0.1 -x 192.168.1.37 +short";

INSTANTIATE_TEST_SUITE_P(
    Store, AddressSuggestionTable,
    ::testing::Values(
        SuggestionCase{"WiderMask",
                       {"en0", {"192.168.1.37"}, "255.255.0.0", kOneServer},
                       "",
                       "vpn.example.com.",
                       {"192.168.1.224", "192.168.1.254", kHint37, "10.0.0.1", "vpn.example.com", kLookUp37}},
        SuggestionCase{"NarrowerMask",
                       {"en0", {"192.168.1.37", "192.168.1.99"}, "255.255.255.192", kOneServer},
                       "",
                       "",
                       {"192.168.1.224", "192.168.1.254", kHint37, "10.0.0.1", std::nullopt, kLookUp37}},
        // Nothing keeps the machine's own address out of the range.
        SuggestionCase{"OwnAddressInRange",
                       {"en0", {"10.1.2.230"}, "255.255.255.0", {}},
                       "",
                       "",
                       {"10.1.2.224", "10.1.2.254",
                        "If you\u2019re running the VPN Server on a local network behind a router, set the router to "
                        "forward UDP ports 500, 1701, and 4500 to the IP address: 10.1.2.230",
                        std::nullopt, std::nullopt, std::nullopt}},
        SuggestionCase{
            "TwoServersAskTheFirst",
            {"en0", {"192.168.1.37"}, "255.255.255.0", {"10.0.0.1", "10.0.0.2"}},
            "",
            "a.example.\nb.example.",
            {"192.168.1.224", "192.168.1.254", kHint37, "10.0.0.1, 10.0.0.2", "a.example.\nb.example", kLookUp37}},
        SuggestionCase{
            "DnsWithoutInterface",
            {std::nullopt, {"192.168.1.37"}, "255.255.255.0", kOneServer},
            "",
            "ns.example.",
            {std::nullopt, std::nullopt, std::nullopt, "10.0.0.1", "ns.example", "dig @10.0.0.1 -x 10.0.0.1 +short"}},
        SuggestionCase{"NoStoreValues", {}, "", "unused.", {}},
        // A host name already typed stays; the look-up still runs.
        SuggestionCase{"HostFieldFilled",
                       {"en0", {"192.168.1.37"}, "255.255.255.0", kOneServer},
                       "mine.example",
                       "vpn.example.com.",
                       {"192.168.1.224", "192.168.1.254", kHint37, "10.0.0.1", std::nullopt, kLookUp37}},
        // dig's own failure report is no host name.
        SuggestionCase{"LookUpFailed",
                       {"en0", {"192.168.1.37"}, "255.255.255.0", kOneServer},
                       "",
                       ";; connection timed out; no servers could be reached",
                       {"192.168.1.224", "192.168.1.254", kHint37, "10.0.0.1", std::nullopt, kLookUp37}},
        // An address without four parts proposes no range and no hint, and is not looked up.
        SuggestionCase{"ThreePartAddress",
                       {"en0", {"192.168.1"}, "255.255.255.0", kOneServer},
                       "",
                       "x.",
                       {std::nullopt, std::nullopt, std::nullopt, "10.0.0.1", std::nullopt, std::nullopt}},
        SuggestionCase{"FivePartAddress",
                       {"en0", {"1.2.3.4.5"}, "255.255.255.0", kOneServer},
                       "",
                       "x.",
                       {std::nullopt, std::nullopt, std::nullopt, "10.0.0.1", std::nullopt, std::nullopt}},
        // Store values that are not addresses never reach the shell.
        SuggestionCase{"ShellTextAsAddress",
                       {"en0", {"1.2.3.4;touch x"}, "255.255.255.0", kOneServer},
                       "",
                       "x.",
                       {"1.2.3.224", "1.2.3.254",
                        "If you\u2019re running the VPN Server on a local network behind a router, set the router to "
                        "forward UDP ports 500, 1701, and 4500 to the IP address: 1.2.3.4;touch x",
                        "10.0.0.1", std::nullopt, std::nullopt}},
        SuggestionCase{
            "ShellTextAsServer",
            {std::nullopt, {}, "", {"10.0.0.1 $(reboot)", "10.0.0.2"}},
            "",
            "x.",
            {std::nullopt, std::nullopt, std::nullopt, "10.0.0.1 $(reboot), 10.0.0.2", std::nullopt, std::nullopt}},
        SuggestionCase{"IPv6Server",
                       {"en0", {"192.168.1.37"}, "255.255.255.0", {"fd00::1"}},
                       "",
                       "v6.example.",
                       {"192.168.1.224", "192.168.1.254", kHint37, "fd00::1", "v6.example",
                        "dig @fd00::1 -x 192.168.1.37 +short"}}),
    [](const ::testing::TestParamInfo<SuggestionCase>& info) { return std::string(info.param.name); });

TEST(AddressSuggestion, SecondRunChangesNothing)
{
    TempDir root;
    writeStore(root.path(), {"en0", {"192.168.1.37"}, "255.255.255.0", {"10.0.0.1", "10.0.0.2"}});
    DynamicStoreEmulated store{PlatformPaths(root.path())};
    RecordingRunner runner;
    runner.setHandler([](const RecordingRunner::Arguments&) { return std::optional<std::string>("vpn.example.com."); });

    const AddressSuggestion first = suggestIPAddresses(readNetworkValues(store), "", runner);
    ASSERT_EQ(first.vpnHost, "vpn.example.com");
    const AddressSuggestion second = suggestIPAddresses(readNetworkValues(store), *first.vpnHost, runner);
    EXPECT_EQ(second.startIPAddress, first.startIPAddress);
    EXPECT_EQ(second.endIPAddress, first.endIPAddress);
    EXPECT_EQ(second.portForwardingInfo, first.portForwardingInfo);
    EXPECT_EQ(second.dnsServerAddresses, first.dnsServerAddresses);
    EXPECT_EQ(second.vpnHost, std::nullopt);
    EXPECT_EQ(runner.runs().size(), 2u);
}

TEST(AddressSuggestion, UnreadableStoreProposesNothing)
{
    TempDir root;
    const fs::path file = root / "Library/Preferences/SystemConfiguration/dynamic-store.plist";
    writeText(file, "<plist><dict><key>State:");
    DynamicStoreEmulated store{PlatformPaths(root.path())};
    RecordingRunner runner;

    EXPECT_EQ(suggestIPAddresses(readNetworkValues(store), "", runner), AddressSuggestion{});
    EXPECT_TRUE(runner.runs().empty());
}

} // namespace
} // namespace veltrona::test
