// The first-run installation from the window: what it does on an emulated Mac through the real
// runner and shellTool, and when it must not run. The script's text: tests/vpnserver.
#include "app/Interaction.h"
#include "app/WindowController.h"
#include "platform/PlatformPaths.h"
#include "services/TaskWrapper.h"
#include "tests/app/AppTestBed.h"
#include "tests/support/FileText.h"
#include "vpnserver/InstallationScript.h"

#include <QLineEdit>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// The controller with the runner logged in, as after a successful login.
WindowController& loggedIn(AppTestBed& bed)
{
    WindowController& window = bed.makeController();
    window.administratorField->setText(QStringLiteral("admin"));
    window.passwordField->setText(QStringLiteral("secret"));
    EXPECT_EQ(window.shouldAccessBeGranted(), 0);
    return window;
}

TEST(Installation, FillsTheInstallationDirectoryAndLinksTheServerFiles)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    loggedIn(bed).doSanityCheck();

    const fs::path installed = bed.installationDirectory();
    for (const char* name : {"com.apple.RemoteAccessServers.plist", "com.brantholm.vpn.plist", "VPN.mobileconfig"}) {
        ASSERT_TRUE(fs::is_regular_file(installed / name)) << name;
        EXPECT_EQ(readText(installed / name), readText(bed.resourceFolder / "VPNStuff" / name)) << name;
    }
    const fs::path job = bed.paths.map("/Library/LaunchDaemons/com.brantholm.vpn.plist");
    const fs::path configuration =
        bed.paths.map("/Library/Preferences/SystemConfiguration/com.apple.RemoteAccessServers.plist");
    ASSERT_TRUE(fs::is_symlink(job));
    EXPECT_EQ(fs::read_symlink(job), installed / "com.brantholm.vpn.plist");
    ASSERT_TRUE(fs::is_symlink(configuration));
    EXPECT_EQ(fs::read_symlink(configuration), installed / "com.apple.RemoteAccessServers.plist");
    EXPECT_TRUE(bed.log.lines.empty());
}

TEST(Installation, ReplacesAFileStandingWhereALinkGoes)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    const fs::path configuration =
        bed.paths.map("/Library/Preferences/SystemConfiguration/com.apple.RemoteAccessServers.plist");
    std::ofstream(configuration) << "the platform's own file";

    loggedIn(bed).doSanityCheck();

    ASSERT_TRUE(fs::is_symlink(configuration));
    EXPECT_EQ(fs::read_symlink(configuration), bed.installationDirectory() / "com.apple.RemoteAccessServers.plist");
}

TEST(Installation, DoesNotRunWhenThePathExistsInAnyForm)
{
    struct Case {
        const char* what;
        void (*make)(const fs::path& path);
    };
    const Case cases[] = {
        {"folder", [](const fs::path& path) { fs::create_directories(path); }},
        {"plain file", [](const fs::path& path) { std::ofstream(path) << "x"; }},
        {"link to a folder",
         [](const fs::path& path) {
             fs::create_directories(path.parent_path() / "elsewhere");
             fs::create_directory_symlink(path.parent_path() / "elsewhere", path);
         }},
    };
    for (const Case& c : cases) {
        AppTestBed bed;
        WindowController& window = bed.makeController();
        fs::create_directories(bed.installationDirectory().parent_path());
        c.make(bed.installationDirectory());
        window.doSanityCheck();
        EXPECT_TRUE(bed.recorder.runs().empty()) << c.what;
    }
}

TEST(Installation, RunsWhenOnlyADanglingLinkIsThere)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    fs::create_directories(bed.installationDirectory().parent_path());
    fs::create_symlink(bed.paths.map("/nowhere"), bed.installationDirectory());
    window.doSanityCheck();
    ASSERT_EQ(bed.recorder.runs().size(), 1U);
    EXPECT_EQ(bed.recorder.runs().front(), installationCommand(bed.paths));
}

TEST(Installation, AMissingOrUnusableShellToolGivesOneLogLineNotAHang)
{
    for (const char* fault : {"missing", "not executable"}) {
        AppTestBed bed(AppTestBed::Commands::RunAsRoot);
        const fs::path tool = bed.resourceFolder / "shellTool";
        if (std::string(fault) == "missing")
            fs::remove(tool);
        else
            fs::permissions(tool, fs::perms::owner_read | fs::perms::owner_write);
        WindowController& window = loggedIn(bed);

        window.doSanityCheck();
        EXPECT_FALSE(fs::exists(bed.installationDirectory())) << fault;
        EXPECT_EQ(bed.log.lines.size(), 1U) << fault;
        // The whole start-up, with every loader's command failing the same way, still ends quietly.
        window.doStartUpChecks();
        EXPECT_EQ(bed.interaction.alerts().size(), 0) << fault;
    }
}

} // namespace
} // namespace veltrona::test
