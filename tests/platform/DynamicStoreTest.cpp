// The dynamic store: from the root's file, and from the live Linux state when there is none.

#include "platform/emulated/DynamicStoreEmulated.h"
#include "platform/tools/NetworkCommand.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader = "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

std::vector<std::string> stringsAt(const std::optional<PlistValue>& value, std::string_view key)
{
    std::vector<std::string> texts;
    const PlistValue* list = value && value->dictionary() ? value->dictionary()->find(key) : nullptr;
    if (list && list->array())
        for (const PlistValue& item : *list->array())
            texts.push_back(item.string() ? *item.string() : "?");
    return texts;
}

TEST(LiveNetworkTest, DefaultRouteIsTheLowestMetricUpRouteToEverywhere)
{
    struct Case {
        std::string table;
        std::optional<std::string> interface;
        std::string gateway;
    };
    const std::vector<Case> cases = {
        {std::string(kHeader)
             + "eth0\t00000000\t010011AC\t0003\t0\t0\t0\t00000000\t0\t0\t0\n"
               "eth0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n",
         "eth0", "172.17.0.1"},
        {std::string(kHeader)
             + "wlan0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
               "eth1\t00000000\t0100000A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n",
         "eth1", "10.0.0.1"},
        {std::string(kHeader) + "eth0\t00000000\t010011AC\t0002\t0\t0\t0\t00000000\t0\t0\t0\n", std::nullopt, ""},
        {std::string(kHeader) + "tun0\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n", "tun0", ""},
        {std::string(kHeader) + "eth0\t000011AC\t00000000\t0001\t0\t0\t0\t0000FFFF\t0\t0\t0\n", std::nullopt, ""},
        {std::string(kHeader) + "eth0\t00000000\tnothex!!\t0003\t0\t0\t0\t00000000\n", std::nullopt, ""},
        {"", std::nullopt, ""},
        {"garbage without any shape", std::nullopt, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.table);
        const std::optional<DefaultRoute> route = parseDefaultRoute(c.table);
        ASSERT_EQ(route.has_value(), c.interface.has_value());
        if (route) {
            EXPECT_EQ(route->interface, *c.interface);
            EXPECT_EQ(route->gateway, c.gateway);
        }
    }
}

TEST(LiveNetworkTest, NameserversKeepTheirOrder)
{
    EXPECT_EQ(parseNameservers("# generated\nsearch example.org\nnameserver 10.0.0.1\n  nameserver\t10.0.0.2 \n"
                               ";nameserver 9.9.9.9\nnameserver\nnameserver fd00::1\noptions edns0\n"),
              (std::vector<std::string>{"10.0.0.1", "10.0.0.2", "fd00::1"}));
    EXPECT_TRUE(parseNameservers("").empty());
}

TEST(LiveNetworkTest, ThisMachinesStateFollowsItsDefaultRoute)
{
    // Best effort: whatever this machine has, the reader agrees with /proc/net/route and never fails.
    const NetworkState state = readLiveNetwork({});
    const std::optional<DefaultRoute> route = parseDefaultRoute(readText("/proc/net/route"));
    EXPECT_EQ(state.primaryInterface, route ? std::optional<std::string>(route->interface) : std::nullopt);
    if (!route) {
        EXPECT_TRUE(state.addresses.empty());
    }
    EXPECT_EQ(state.dnsServers, parseNameservers(readText("/etc/resolv.conf")));
}

class DynamicStoreTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::ofstream(dir_ / "route") << kHeader << "eth0\t00000000\t0101A8C0\t0003\t0\t0\t0\t00000000\t0\t0\t0\n";
        std::ofstream(dir_ / "resolv.conf") << "nameserver 192.168.1.1\nnameserver 8.8.8.8\n";
        fs::create_directories(root());
    }
    fs::path root() const { return dir_ / "root"; }
    LiveNetworkSources live() const
    {
        return {(dir_ / "route").string(), (dir_ / "resolv.conf").string(), [](const std::string& name) {
                    return name == "eth0" ? std::vector<std::string>{"192.168.1.37", "192.168.1.38"}
                                          : std::vector<std::string>{};
                }};
    }
    int network(const std::vector<std::string>& options, std::string* printed = nullptr, std::string* errors = nullptr)
    {
        std::vector<std::string> arguments{root().string()};
        arguments.insert(arguments.end(), options.begin(), options.end());
        std::ostringstream out, err;
        const int status = runNetworkCommand(arguments, out, err);
        if (printed)
            *printed = out.str();
        if (errors)
            *errors = err.str();
        return status;
    }
    TempDir dir_;
};

TEST_F(DynamicStoreTest, LiveStateWhenTheRootHasNoFile)
{
    std::unique_ptr<DynamicStoreConnection> store = DynamicStoreEmulated(PlatformPaths(root()), live()).create("test");
    ASSERT_TRUE(store);
    const std::optional<PlistValue> global = store->copyValue("State:/Network/Global/IPv4");
    ASSERT_TRUE(global && global->dictionary());
    EXPECT_EQ(*global->dictionary()->find("PrimaryInterface"), PlistValue("eth0"));
    EXPECT_EQ(*global->dictionary()->find("Router"), PlistValue("192.168.1.1"));
    EXPECT_EQ(stringsAt(store->copyValue("State:/Network/Interface/eth0/IPv4"), "Addresses"),
              (std::vector<std::string>{"192.168.1.37", "192.168.1.38"}));
    EXPECT_EQ(stringsAt(store->copyValue("State:/Network/Global/DNS"), "ServerAddresses"),
              (std::vector<std::string>{"192.168.1.1", "8.8.8.8"}));
    EXPECT_FALSE(store->copyValue("State:/Network/Interface/eth1/IPv4"));
}

TEST_F(DynamicStoreTest, TheNetworkCommandFixesTheStateAndPrintsIt)
{
    ASSERT_EQ(network({"--interface", "en0", "--address", "10.1.2.3", "--address", "10.1.2.4", "--dns", "10.0.0.1",
                       "--dns", "10.0.0.2"}),
              0);
    std::unique_ptr<DynamicStoreConnection> store = DynamicStoreEmulated(PlatformPaths(root()), live()).create("test");
    ASSERT_TRUE(store);
    EXPECT_EQ(stringsAt(store->copyValue("State:/Network/Interface/en0/IPv4"), "Addresses"),
              (std::vector<std::string>{"10.1.2.3", "10.1.2.4"}));
    std::string printed;
    ASSERT_EQ(network({}, &printed), 0);
    EXPECT_EQ(printed, "Source: " + (root() / "Library/Preferences/SystemConfiguration/dynamic-store.plist").string()
                           + "\nPrimary interface: en0\nAddress: 10.1.2.3\nAddress: 10.1.2.4\n"
                             "DNS server: 10.0.0.1\nDNS server: 10.0.0.2\n");

    ASSERT_EQ(network({"--dns", "fd00::53"}), 0);
    ASSERT_EQ(network({}, &printed), 0);
    EXPECT_NE(printed.find("\nPrimary interface: none\nAddress: none\nDNS server: fd00::53\n"), std::string::npos)
        << printed;
    ASSERT_EQ(network({"--offline"}), 0);
    ASSERT_EQ(network({}, &printed), 0);
    EXPECT_NE(printed.find("\nPrimary interface: none\nAddress: none\nDNS server: none\n"), std::string::npos)
        << printed;
}

TEST_F(DynamicStoreTest, BadRequestsChangeNothing)
{
    ASSERT_EQ(network({"--interface", "en0", "--address", "10.1.2.3"}), 0);
    const fs::path file = root() / "Library/Preferences/SystemConfiguration/dynamic-store.plist";
    const std::string before = readText(file);
    for (const std::vector<std::string>& options :
         std::vector<std::vector<std::string>>{{"--address", "10.0.0.9"},
                                               {"--interface", "en0", "--address", "10.0.0.300"},
                                               {"--interface", "en0/../x"},
                                               {"--dns", "ns.example.org"},
                                               {"--interface"},
                                               {"--verbose"},
                                               {"--offline", "--dns", "10.0.0.1"}}) {
        std::string errors;
        EXPECT_EQ(network(options, nullptr, &errors), 2) << options.front();
        EXPECT_FALSE(errors.empty());
    }
    EXPECT_EQ(readText(file), before);

    std::ostringstream out, err;
    EXPECT_EQ(runNetworkCommand({"/"}, out, err), 1);
    EXPECT_EQ(runNetworkCommand({(dir_ / "absent").string(), "--dns", "10.0.0.1"}, out, err), 1);
    EXPECT_FALSE(fs::exists(dir_ / "absent"));
}

TEST_F(DynamicStoreTest, CorruptFileGivesNoStoreAndAnError)
{
    const fs::path file = root() / "Library/Preferences/SystemConfiguration/dynamic-store.plist";
    fs::create_directories(file.parent_path());
    std::ofstream(file) << "<plist><dict><key>State:/Network/Global/IPv4</key>";
    EXPECT_FALSE(DynamicStoreEmulated(PlatformPaths(root()), live()).create("test"));
    std::string errors;
    EXPECT_EQ(network({}, nullptr, &errors), 1);
    EXPECT_NE(errors.find("not a valid dynamic-store property list"), std::string::npos);

    // A key whose value is no dictionary reads as nothing, as the Mac's store gives only dictionaries.
    std::ofstream(file)
        << "<plist version=\"1.0\"><dict><key>State:/Network/Global/DNS</key><string>x</string></dict></plist>";
    std::unique_ptr<DynamicStoreConnection> store = DynamicStoreEmulated(PlatformPaths(root()), live()).create("test");
    ASSERT_TRUE(store);
    EXPECT_FALSE(store->copyValue("State:/Network/Global/DNS"));
}

} // namespace
} // namespace veltrona::test
