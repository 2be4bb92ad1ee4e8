// suggest and check-update: the dynamic store's values and a reverse look-up, and the version
// page served from a loopback web server.
#include "foundation/PlistIO.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "tests/cli/CliMac.h"
#include "tests/services/LoopbackHttpServer.h"
#include "tests/support/FileText.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace veltrona::test {
namespace {

TEST(CliNetwork, SuggestPrintsWhatTheWindowWouldFillIn)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    CliMac mac;
    PlistDictionary store;
    store.set("State:/Network/Global/IPv4", PlistDictionary{});
    store.find("State:/Network/Global/IPv4")->dictionary()->set("PrimaryInterface", "en0");
    PlistDictionary interface;
    interface.set("Addresses", PlistArray{"192.168.1.37"});
    store.set("State:/Network/Interface/en0/IPv4", interface);
    PlistDictionary dns;
    dns.set("ServerAddresses", PlistArray{"192.168.1.1", "8.8.8.8"});
    store.set("State:/Network/Global/DNS", dns);
    ASSERT_TRUE(writePlistAtomically(store, PlatformPaths(mac.root()).map(kDynamicStoreFile)).ok());
    // dig of the emulated Mac answers for the server it is asked, without a network.
    const std::filesystem::path dig = mac.root() / "usr/bin/dig";
    writeText(dig, "#!/bin/sh\n[ \"$1\" = @192.168.1.1 ] && [ \"$3\" = 192.168.1.37 ] && echo vpn.example.org.\n");
    ::chmod(dig.c_str(), 0755);

    const ProcessRun text = mac.run({"suggest"});
    EXPECT_EQ(text.exitStatus, 0) << text.err;
    for (const char* line : {"Address range:   192.168.1.224 - 192.168.1.254", "DNS servers:     192.168.1.1, 8.8.8.8",
                             "Host:            vpn.example.org", "to the IP address: 192.168.1.37"})
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;
    const ProcessRun json = mac.run({"suggest", "--json"});
    EXPECT_NE(json.out.find(R"("rangeStart":"192.168.1.224","rangeEnd":"192.168.1.254","dns":"192.168.1.1, 8.8.8.8",)"
                            R"("host":"vpn.example.org")"),
              std::string::npos)
        << json.out;
    EXPECT_FALSE(mac.installed()); // a suggestion changes nothing
}

TEST(CliNetwork, CheckUpdateAgainstTheServedVersion)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    CliMac mac;
    struct Case {
        std::string served;
        int exitCode;
        std::string printed;
    };
    const Case cases[] = {
        {"1.0.0\n", 0, R"("updateAvailable":false,"message":"There are no newer versions available")"},
        {"1.1\n", 0, R"("updateAvailable":true,"message":"An update for Veltrona is available")"},
    };
    for (const Case& c : cases) {
        LoopbackHttpServer site(c.served);
        const ProcessRun run = mac.run({"check-update", "--json"}, "", {{"VELTRONA_WEB_SITE", site.base()}});
        EXPECT_EQ(run.exitStatus, c.exitCode) << run.out << run.err;
        EXPECT_NE(run.out.find(c.printed), std::string::npos) << run.out;
    }
    const ProcessRun unreachable = mac.run(
        {"check-update"}, "", {{"VELTRONA_WEB_SITE", "http://127.0.0.1:" + std::to_string(closedLoopbackTcpPort())}});
    EXPECT_EQ(unreachable.exitStatus, 3);
    EXPECT_NE(unreachable.err.find("could not be reached"), std::string::npos) << unreachable.err;
}

} // namespace
} // namespace veltrona::test
