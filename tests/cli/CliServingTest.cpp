// status says whether the server serves, and why not, from what launchd and vpnd say: here where
// nothing binds a port, PPTP (vpnd serves nothing and says why) and a root without vpnd.
#include "tests/cli/CliMac.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace veltrona::test {
namespace {

// vpnd speaks a moment after launchd started it.
std::string servingLine(const CliMac& mac, const std::string& awaited)
{
    std::string line;
    for (int i = 0; i < 100 && line != awaited; ++i) {
        const std::string out = mac.run({"status"}).out;
        const std::size_t at = out.find("Serving:");
        line = at == std::string::npos ? "" : out.substr(at, out.find('\n', at) - at);
        if (line != awaited)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return line;
}

TEST(CliServing, StatusSaysWhyNothingServes)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    // PPTP is set before the start: this vpnd binds nothing in the test's own network namespace.
    CliMac pptp(TempPlatformRoot::Tools::CopyWithVpnd);
    ASSERT_EQ(pptp.run({"settings", "set", "type=PPTP"}).exitStatus, 0);
    ASSERT_EQ(pptp.run({"start"}).exitStatus, 0);
    EXPECT_EQ(servingLine(pptp, "Serving:         no (PPTP needs kernel PPP, which this machine lacks)"),
              "Serving:         no (PPTP needs kernel PPP, which this machine lacks)");
    EXPECT_NE(pptp.run({"status", "--json"})
                  .out.find(R"("serving":{"active":false,"detail":"PPTP needs kernel PPP, which this machine lacks"})"),
              std::string::npos);
    ASSERT_EQ(pptp.run({"stop"}).exitStatus, 0);
    EXPECT_EQ(servingLine(pptp, "Serving:         no (the server is stopped)"),
              "Serving:         no (the server is stopped)");

    CliMac withoutVpnd;
    ASSERT_EQ(withoutVpnd.run({"start"}).exitStatus, 0);
    EXPECT_EQ(servingLine(withoutVpnd, "Serving:         no (vpnd is not running)"),
              "Serving:         no (vpnd is not running)");
    withoutVpnd.run({"stop"});
}

// Without a server nobody is connected; a server that cannot be asked is never taken for one
// without clients; a name reaches the server as typed.
TEST(CliServing, SessionsWithoutAServerThatAnswers)
{
    CliMac mac;
    ProcessRun none = mac.run({"sessions"});
    EXPECT_EQ(std::make_pair(none.exitStatus, none.out), std::make_pair(0, std::string("Nobody is connected.\n")));
    EXPECT_EQ(mac.run({"sessions", "--json"}).out, "{\"ok\":true,\"exitCode\":0,\"sessions\":[]}\n");
    ProcessRun hostile = mac.run({"sessions", "disconnect", "bob; touch /tmp/x $(id)"});
    EXPECT_EQ(std::make_pair(hostile.exitStatus, hostile.err),
              std::make_pair(1, std::string("veltronactl: bob; touch /tmp/x $(id) is not connected.\n")));
    EXPECT_EQ(mac.run({"sessions", "bob"}).err, "veltronactl: Usage: veltronactl sessions\n");

    std::filesystem::create_directories(mac.root() / "var/db/vpnd");
    // The list asked for moments ago is served again as it stands; an older one is not.
    const std::filesystem::path copy = mac.root() / "var/db/vpnd/sessions-snapshot";
    std::ofstream(copy) << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array><dict>"
                           "<key>Name</key><string>alice</string><key>RemoteAddress</key><string>203.0.113.7</string>"
                           "<key>TunnelAddress</key><string>192.168.77.10</string><key>ConnectedSince</key>"
                           "<date>2026-12-08T09:15:00Z</date><key>BytesIn</key><integer>7</integer>"
                           "<key>BytesOut</key><integer>9</integer></dict></array></plist>\n";
    EXPECT_EQ(mac.run({"sessions"}).out, "ACCOUNT  FROM         TUNNEL ADDRESS  CONNECTED SINCE (UTC)  BYTES IN  BYTES OUT\n"
                                         "alice    203.0.113.7  192.168.77.10   2026-12-08 09:15:00    7         9\n");
    std::filesystem::last_write_time(copy, std::filesystem::file_time_type::clock::now() - std::chrono::seconds(3));
    EXPECT_EQ(mac.run({"sessions"}).out, "Nobody is connected.\n");

    for (const char* channel : {"unavailable the preload is missing\n", "port 70000\npassword x\n", "\x01\x02"}) {
        std::ofstream(mac.root() / "var/db/vpnd/admin-channel", std::ios::binary) << channel;
        for (const std::vector<std::string>& asked :
             {std::vector<std::string>{"sessions"}, std::vector<std::string>{"sessions", "disconnect", "bob"}}) {
            ProcessRun unread = mac.run(asked);
            EXPECT_EQ(std::make_pair(unread.exitStatus, unread.err),
                      std::make_pair(3, std::string("veltronactl: The VPN server's sessions cannot be read.\n")))
                << channel;
        }
    }
}

} // namespace
} // namespace veltrona::test
