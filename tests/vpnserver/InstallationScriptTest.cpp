// The first-run installation script's exact text, and the check that runs it only when the
// installation directory is missing.
#include "vpnserver/InstallationScript.h"
#include "platform/PlatformPaths.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

const char* const kMacScript = "currentDir=$1\n"
                               "\n"
                               "cd \"$currentDir\"\n"
                               "\n"
                               "mkdir -p /usr/local/quillfen/vpn\n"
                               "cp * /usr/local/quillfen/vpn\n"
                               "\n"
                               "ln -fs /usr/local/quillfen/vpn/com.brantholm.vpn.plist /Library/LaunchDaemons/\n"
                               "\n"
                               "ln -fs /usr/local/quillfen/vpn/com.apple.RemoteAccessServers.plist "
                               "/Library/Preferences/SystemConfiguration/";

TEST(InstallationScript, IsTheMacsTextWithAnEmptyRoot)
{
    const std::vector<std::string> expected{"/bin/sh", "-c", kMacScript, "", "VPNStuff"};
    EXPECT_EQ(installationCommand(PlatformPaths()), expected);
}

TEST(InstallationScript, QuotesOnlyMappedPathsTheShellWouldSplit)
{
    const std::string plain = installationScript(PlatformPaths("/tmp/root"));
    EXPECT_NE(plain.find("mkdir -p /tmp/root/usr/local/quillfen/vpn\n"), std::string::npos);
    EXPECT_EQ(plain.find('\''), std::string::npos);

    const std::string spaced = installationScript(PlatformPaths("/tmp/my root's"));
    EXPECT_NE(spaced.find("mkdir -p '/tmp/my root'\\''s/usr/local/quillfen/vpn'\n"), std::string::npos);
    EXPECT_NE(spaced.find("ln -fs '/tmp/my root'\\''s/usr/local/quillfen/vpn/com.brantholm.vpn.plist' "
                          "'/tmp/my root'\\''s/Library/LaunchDaemons/'"),
              std::string::npos);
}

TEST(InstallationScript, RunsOnlyWhenTheInstallationDirectoryIsMissing)
{
    TempDir root;
    const PlatformPaths paths(root.path());
    RecordingRunner runner;
    EXPECT_TRUE(installIfMissing(paths, runner));
    ASSERT_EQ(runner.runs().size(), 1U);
    EXPECT_EQ(runner.runs().front(), installationCommand(paths));

    fs::create_directories(paths.map(kInstallationDirectory));
    EXPECT_FALSE(installIfMissing(paths, runner));
    EXPECT_EQ(runner.runs().size(), 1U);
}

} // namespace
} // namespace veltrona::test
