// The whole road to root: settings written, moved and the job loaded through the real runner,
// shellTool and the stand-in tools of a fresh emulated Mac.

#include "platform/PlatformRoot.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "services/TaskWrapper.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempPlatformRoot.h"
#include "vpnserver/RunFolder.h"
#include "vpnserver/ServerFileReader.h"
#include "vpnserver/ServerFileWriter.h"
#include "vpnserver/VpnButton.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// The program hands its root to shellTool and the tools through its own environment.
class ScopedRootVariable {
public:
    explicit ScopedRootVariable(const fs::path& root)
    {
        if (const char* old = std::getenv(kPlatformRootVariable))
            saved_ = old;
        setenv(kPlatformRootVariable, root.c_str(), 1);
    }
    ~ScopedRootVariable()
    {
        if (saved_)
            setenv(kPlatformRootVariable, saved_->c_str(), 1);
        else
            unsetenv(kPlatformRootVariable);
    }

private:
    std::optional<std::string> saved_;
};

// The resource directory as the build has it, and as an installed package has it: read-only, the
// files written first into a run folder inside the platform root.
class ServerControlRunner : public testing::TestWithParam<bool> { };

TEST_P(ServerControlRunner, StartAndStopThroughShellTool)
{
    const bool installedPackage = GetParam();
    const fs::path shellTool = fs::path(VELTRONA_BIN_DIR) / "Resources/shellTool";
    if (!fs::exists(shellTool) || !fs::exists(builtMacToolsFolder() / "launchctl"))
        FAIL() << "shellTool or the stand-in tools are not where the build puts them: a path look-up is broken";

    TempPlatformRoot mac(TempPlatformRoot::Tools::Copy);
    ScopedRootVariable variable(mac.root());
    const fs::path resources = mac.folder() / "Resources";
    fs::create_directories(resources / "VPNStuff");
    fs::copy_file(shellTool, resources / "shellTool");
    for (const char* name : {kServerFileName, kJobFileName})
        fs::copy_file(fs::path(VELTRONA_VPNSTUFF_DIR) / name, resources / "VPNStuff" / name);
    std::optional<RunFolder> runFolder;
    if (installedPackage) {
        // Folders where the temporary copies would go make a write there fail even for root, whom
        // the permissions below do not stop.
        for (const char* name : {kServerFileName, kJobFileName})
            fs::create_directories(resources / name / "stale");
        fs::permissions(resources, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
        runFolder.emplace(mac.paths());
        ASSERT_FALSE(runFolder->path().empty());
        EXPECT_EQ(fs::status(runFolder->path()).permissions() & fs::perms::all, fs::perms::owner_all);
    }
    const ServerFileLocations locations(resources.string(), mac.paths(), runFolder ? runFolder->path() : "");
    // What the installation makes: the directory and the job's link.
    fs::create_directories(locations.installationDirectory());
    fs::create_directories(mac.root() / "Library/LaunchDaemons");
    fs::create_symlink(locations.installedJobFile(), mac.root() / "Library/LaunchDaemons/com.brantholm.vpn.plist");

    AuthorizationServicesEmulated authorization(mac.paths());
    RecordingLog log;
    TaskWrapper runner(authorization, resources.string(), log);
    runner.setAdminPassword(kTestAdminPassword, kTestAdminName);
    ASSERT_TRUE(runner.checkIfSudoer());

    const ServerSettings settings = {"PPTP", "vpn.example.org", "s\xC3\xA9same", "10.0.0.1, 10.0.0.2",
                                     "lan",  "10.0.0.100",      "10.0.0.150"};
    auto click = [&](std::string_view title) {
        performVPNAction(title, settings, locations, runner);
        return checkStatusLights(runner).title;
    };

    EXPECT_EQ(checkStatusLights(runner).title, "Start VPN");
    EXPECT_EQ(click("Start VPN"), "Restart VPN");
    EXPECT_EQ(loadVPNSettings(locations).settings, settings);
    EXPECT_FALSE(fs::exists(locations.serverTemporaryCopy()));
    EXPECT_EQ(click("Stop VPN"), "Start VPN");
    EXPECT_TRUE(log.lines.empty());
    if (installedPackage) {
        const std::string folder = runFolder->path();
        runFolder.reset();
        EXPECT_FALSE(fs::exists(folder));
        fs::permissions(resources, fs::perms::owner_write, fs::perm_options::add);
    }
}

INSTANTIATE_TEST_SUITE_P(ResourceDirectories, ServerControlRunner, testing::Values(false, true),
                         [](const testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "ReadOnlyWithRunFolder" : "Writable");
                         });

} // namespace
} // namespace veltrona::test
