// Start, restart and stop against the stand-in launchctl acting on a temporary platform root,
// with the command texts run by a real shell.

#include "tests/support/ShellRunner.h"
#include "tests/vpnserver/ServerFixture.h"
#include "vpnserver/InstallationScript.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/ServerFileReader.h"
#include "vpnserver/ServerFileWriter.h"
#include "vpnserver/VpnButton.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

const fs::path kMacTools = VELTRONA_MAC_TOOLS_DIR;

class ServerControlIntegration : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!fs::exists(kMacTools / "launchctl"))
            FAIL() << "the stand-in launchctl is not where the build puts them: a path look-up is broken";
        fs::create_symlink(kMacTools / "launchctl", fs::path(fixture.toolFolder()) / "launchctl");
        // What the installation links, done here by hand.
        fs::create_directories(fixture.root() / "Library/LaunchDaemons");
        fs::create_symlink(fixture.locations().installedJobFile(),
                           fixture.root() / "Library/LaunchDaemons/com.brantholm.vpn.plist");
        runner.setEnvironment("VELTRONA_PLATFORM_ROOT", fixture.root().string());
    }

    // One click as the window makes it: the action, then the reload and the refresh.
    VpnButtonState click(std::string_view title, const ServerSettings& settings)
    {
        const std::size_t before = runner.runs().size();
        performVPNAction(title, settings, fixture.locations(), runner);
        // Installed already: the installation check of a start finds the directory and installs
        // nothing (which titles check at all: VpnButtonTest).
        const auto& runs = runner.runs();
        EXPECT_EQ(std::count(runs.begin() + static_cast<std::ptrdiff_t>(before), runs.end(),
                             installationCommand(fixture.locations().platform())),
                  0);
        return checkStatusLights(runner);
    }

    ServerFixture fixture;
    ShellRunner runner{fixture.toolFolder()};
};

const VpnButtonState kStopped = {"Start VPN", "", "red"};
const VpnButtonState kRunning = {"Restart VPN", "Option-click to Stop VPN", "green"};

TEST_F(ServerControlIntegration, StartRestartAndStopFollowLaunchd)
{
    const ServerSettings l2tp = {"L2TP", "vpn.example.org", "s3cret", "10.0.0.1", "lan", "10.0.0.100", "10.0.0.150"};
    const ServerSettings pptp = {"PPTP", "vpn.example.org", "s3cret", "10.0.0.2", "", "10.0.1.100", "10.0.1.150"};

    EXPECT_EQ(checkStatusLights(runner), kStopped);
    EXPECT_EQ(click("Start VPN", l2tp), kRunning);
    EXPECT_EQ(loadVPNSettings(fixture.locations()).settings, l2tp);

    // Starting again while loaded still rewrites the files; the state stays running.
    EXPECT_EQ(click("Start VPN", pptp), kRunning);
    EXPECT_EQ(loadVPNSettings(fixture.locations()).settings, pptp);

    EXPECT_EQ(click("Restart VPN", l2tp), kRunning);
    EXPECT_EQ(loadVPNSettings(fixture.locations()).settings, l2tp);

    const std::optional<std::string> held = titleForModifierFlags(kOptionKeyMask, click("Restart VPN", l2tp).title);
    ASSERT_EQ(held, "Stop VPN");
    EXPECT_EQ(click(*held, l2tp), kStopped);
    EXPECT_FALSE(isJobLoaded(runner));

    // An unknown title only refreshes.
    EXPECT_EQ(click("Pause VPN", pptp), kStopped);
    EXPECT_EQ(loadVPNSettings(fixture.locations()).settings, l2tp);
}

} // namespace
} // namespace veltrona::test
