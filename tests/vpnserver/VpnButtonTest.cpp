// The button's states, the Option key, and what a click runs in which order.

#include "vpnserver/VpnButton.h"
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/TempDir.h"
#include "vpnserver/InstallationScript.h"
#include "vpnserver/ServerControl.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

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
        {option, "Restart VPN", "Stop VPN"},   {option | shift, "Restart VPN", "Stop VPN"},
        {0, "Stop VPN", "Restart VPN"},        {shift, "Stop VPN", "Restart VPN"},
        {option, "Stop VPN", std::nullopt},    {0, "Restart VPN", std::nullopt},
        {option, "Start VPN", std::nullopt},   {0, "Start VPN", std::nullopt},
        {option, "restart vpn", std::nullopt}, {option, "", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(titleForModifierFlags(c.flags, c.title), c.newTitle) << c.title << " " << c.flags;
}

TEST(VpnButton, AClickDoesWhatItsTitleSays)
{
    const std::string moveServer = "move com.apple.RemoteAccessServers.plist";
    const std::string moveJob = "move com.brantholm.vpn.plist";
    struct Case {
        const char* title;
        bool installed;
        std::vector<std::string> events;
    };
    const Case cases[] = {
        {"Start VPN", false, {"doSanityCheck", moveServer, moveJob, "start"}},
        {"Start VPN", true, {moveServer, moveJob, "start"}},
        {"Restart VPN", false, {"stop", moveServer, moveJob, "start"}},
        {"Stop VPN", false, {"stop"}},
        {"Start", false, {}},
        {"start vpn", false, {}},
        {"", false, {}},
    };
    const ServerSettings settings{"PPTP", "vpn.example.org", "s3cret", "10.0.0.1", "lan", "10.0.0.100", "10.0.0.150"};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + (c.installed ? ", installed" : ""));
        TempDir folder;
        const fs::path resources = folder / "Resources";
        fs::create_directories(resources / "VPNStuff");
        for (const char* name : {kServerFileName, kJobFileName})
            fs::copy_file(fs::path(VELTRONA_VPNSTUFF_DIR) / name, resources / "VPNStuff" / name);
        const PlatformPaths platform(folder / "root");
        const ServerFileLocations locations(resources.string(), platform);
        if (c.installed)
            fs::create_directories(locations.installationDirectory());
        const std::string job = (folder / "root/Library/LaunchDaemons/com.brantholm.vpn.plist").string();

        std::vector<std::string> events;
        RecordingRunner runner;
        runner.setHandler([&](const RecordingRunner::Arguments& arguments) {
            if (arguments == installationCommand(platform))
                events.push_back("doSanityCheck");
            else if (arguments.size() == 5 && arguments[2].find("mv \"$fileAtPath\"") != std::string::npos)
                events.push_back("move " + fs::path(arguments[4]).filename().string());
            else if (arguments.size() == 3 && arguments[2] == "launchctl load -w " + job)
                events.push_back("start");
            else if (arguments.size() == 3 && arguments[2] == "launchctl unload -w " + job)
                events.push_back("stop");
            else
                events.push_back("unexpected vector");
            return std::optional<std::string>();
        });
        performVPNAction(c.title, settings, locations, runner);
        EXPECT_EQ(events, c.events);
        // The settings given are the ones written (the recording runner moved nothing away).
        if (std::count(c.events.begin(), c.events.end(), moveServer)) {
            const std::optional<PlistValue> written = readPlistFile(locations.serverTemporaryCopy());
            ASSERT_TRUE(written);
            EXPECT_EQ(*valueForKey(*written, "VPNHost"), PlistValue(settings.vpnHost));
        }
    }
}

} // namespace
} // namespace veltrona::test
