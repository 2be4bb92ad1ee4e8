// The update check with the real curl against an HTTP server of the test on 127.0.0.1.

#include "services/UpdateCheck.h"
#include "services/WebSite.h"
#include "tests/services/LoopbackHttpServer.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/ShellRunner.h"
#include "tests/support/TempDir.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <ostream>
#include <string>

namespace veltrona::test {
namespace {

constexpr const char* kRunning = "1.0.0";

const UpdateAlert kNoNewer{
    {"There are no newer versions available", "You are running the latest version of Veltrona for El Capitan.", {}},
    false};
const UpdateAlert kUnreachable{{"Unable to check for updates", "The Veltrona web site could not be reached.", {}},
                               false,
                               true};
const UpdateAlert kNoVersion{
    {"Unable to check for updates", "The Veltrona web site did not answer with a version number.", {}},
    false,
    true};

UpdateAlert offer(const std::string& version)
{
    return {{"An update for Veltrona is available",
             "\nThere is a newer version available (version " + version
                 + ").\nClick OK to go to the Veltrona for El Capitan web site.\n",
             {"OK", "Cancel"}},
            true};
}

// curl on its own: no proxy, no configuration file of the user's, so it only ever talks to 127.0.0.1.
ShellRunner isolatedCurlRunner(const TempDir& home)
{
    ShellRunner runner(home.path().string());
    for (const char* proxy : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        runner.setEnvironment(proxy, "");
    runner.setEnvironment("no_proxy", "*");
    runner.setEnvironment("HOME", home.path().string());
    runner.setEnvironment("CURL_HOME", home.path().string());
    runner.setEnvironment("XDG_CONFIG_HOME", home.path().string());
    return runner;
}

struct ServedCase {
    const char* name;
    std::optional<std::string> body; // nothing: no server listens
    UpdateAlert expected;
};

void PrintTo(const ServedCase& c, std::ostream* out)
{
    *out << c.name;
}

class UpdateCheckWithCurl : public ::testing::TestWithParam<ServedCase> { };

TEST_P(UpdateCheckWithCurl, AlertForTheServedVersion)
{
    if (!std::filesystem::exists("/usr/bin/curl"))
        GTEST_SKIP() << "curl is not installed";
    const ServedCase& c = GetParam();
    std::optional<LoopbackHttpServer> server;
    std::string base;
    if (c.body) {
        server.emplace(*c.body);
        ASSERT_NE(server->port(), 0);
        base = server->base();
    } else {
        const int port = closedLoopbackTcpPort();
        ASSERT_NE(port, 0);
        base = "http://127.0.0.1:" + std::to_string(port);
    }
    TempDir home;
    ShellRunner runner = isolatedCurlRunner(home);

    EXPECT_EQ(checkForUpdates(runner, base, kRunning), c.expected);

    ASSERT_EQ(runner.runs().size(), 1u);
    EXPECT_EQ(runner.runs()[0], (std::vector<std::string>{"/usr/bin/curl", "-s", versionPage(base)}));
    if (server) {
        EXPECT_EQ(server->requestLines(),
                  std::vector<std::string>{"GET /software/version.php?item_number=13030 HTTP/1.1"});
    }
}

INSTANTIATE_TEST_SUITE_P(
    Served, UpdateCheckWithCurl,
    ::testing::Values(ServedCase{"SameVersionWithNewline", "1.0.0\n", kNoNewer},
                      // The last character goes whatever it is.
                      ServedCase{"SameVersionWithoutNewline", "1.0.0", offer("1.0.")},
                      ServedCase{"OtherVersion", "1.1.0\n", offer("1.1.0")},
                      ServedCase{"OlderVersion", "0.9\n", offer("0.9")}, ServedCase{"JustANewline", "\n", kUnreachable},
                      // Issue 17: pages that are no version were announced as one.
                      ServedCase{"ErrorPage", "<html><body>404 Not Found</body></html>\n", kNoVersion},
                      ServedCase{"CaptivePortal", "Please log in to use this network.\n", kNoVersion},
                      ServedCase{"RedirectBody", "Moved to https://elsewhere/\n", kNoVersion},
                      ServedCase{"TrailingCarriageReturn", "1.1.0\r\n", offer("1.1.0")},
                      ServedCase{"LongestVersion", std::string(30, '9') + "+b\n", offer(std::string(30, '9') + "+b")},
                      ServedCase{"OneTooLong", std::string(33, '9') + "\n", kNoVersion},
                      ServedCase{"NoServer", std::nullopt, kUnreachable}),
    [](const ::testing::TestParamInfo<ServedCase>& info) { return std::string(info.param.name); });

TEST(UpdateCheck, TheFetchHasTwentySecondsAndNoMore)
{
    RecordingRunner runner;
    runner.queueResult("1.0.0");
    checkForUpdates(runner, "http://127.0.0.1:1", kRunning);
    EXPECT_EQ(runner.timeLimit(), std::chrono::milliseconds(20000));
}

} // namespace
} // namespace veltrona::test
