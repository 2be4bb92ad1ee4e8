// The button's states, the Option key, and what a click runs in which order.

#include "tests/support/RecordingRunner.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/VpnButton.h"

#include <gtest/gtest.h>
#include <optional>

namespace veltrona::test {
namespace {

const VpnButtonState kStopped = {"Start VPN", "", "red"};
const VpnButtonState kRunning = {"Restart VPN", "Option-click to Stop VPN", "green"};

TEST(VpnButton, AnyProbeOutputMeansRunning)
{
    struct Case {
        std::string probeResult;
        VpnButtonState state;
    };
    const Case cases[] = {
        {"", kStopped}, {"YES", kRunning}, {" ", kRunning}, {"NO", kRunning}, {std::string(1, '\0'), kRunning},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(buttonStateForProbeResult(c.probeResult), c.state) << c.probeResult;

        RecordingRunner runner;
        runner.queueResult(c.probeResult);
        EXPECT_EQ(checkStatusLights(runner), c.state);
        ASSERT_EQ(runner.scripts().size(), 1u);
        EXPECT_EQ(runner.scripts()[0], jobProbeCommand());
    }
    RecordingRunner runner;
    runner.queueResult("YES");
    EXPECT_TRUE(isJobLoaded(runner));
    EXPECT_FALSE(isJobLoaded(runner));
}

TEST(VpnButton, OptionKeySwapsRestartAndStopOnly)
{
    constexpr std::uint64_t option = 0x80000;
    constexpr std::uint64_t shift = 0x20000;
    struct Case {
        std::uint64_t flags;
        const char* title;
        std::optional<std::string> newTitle;
    };
    const Case cases[] = {
        {option, "Restart VPN", "Stop VPN"},
        {option | shift, "Restart VPN", "Stop VPN"},
        {0, "Stop VPN", "Restart VPN"},
        {shift, "Stop VPN", "Restart VPN"},
        {option, "Stop VPN", std::nullopt},
        {0, "Restart VPN", std::nullopt},
        {option, "Start VPN", std::nullopt},
        {0, "Start VPN", std::nullopt},
        {option, "restart vpn", std::nullopt},
        {option, "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(titleForModifierFlags(c.flags, c.title), c.newTitle) << c.title << " " << c.flags;
}

TEST(VpnButton, AClickDoesWhatItsTitleSays)
{
    const PlatformPaths mac;
    const std::string start = "launchctl load -w /Library/LaunchDaemons/com.brantholm.vpn.plist";
    const std::string stop = "launchctl unload -w /Library/LaunchDaemons/com.brantholm.vpn.plist";
    struct Case {
        const char* title;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"Start VPN", {"doSanityCheck", "vpnConfig", start}},
        {"Restart VPN", {stop, "vpnConfig", start}},
        {"Stop VPN", {stop}},
        {"Start", {}},
        {"start vpn", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title);
        std::vector<std::string> events;
        RecordingRunner runner;
        runner.setHandler([&](const RecordingRunner::Arguments& arguments) {
            events.push_back(arguments.size() == 3 ? arguments[2] : "unexpected vector");
            return std::optional<std::string>();
        });
        const VpnActionHooks hooks{[&] { events.push_back("doSanityCheck"); }, [&] { events.push_back("vpnConfig"); }};
        performVPNAction(c.title, runner, mac, hooks);
        EXPECT_EQ(events, c.events);
    }
}

} // namespace
} // namespace veltrona::test
