// De-installation on an emulated Mac through the real runner, shellTool and the stand-in tools.

#include "tests/support/PrivilegedMac.h"
#include "vpnserver/DeInstallation.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/SharedSecret.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// Keeps what every command printed, to show that a second de-installation reports nothing.
class ResultLog final : public CommandRunner {
public:
    explicit ResultLog(CommandRunner& inner) : inner_(inner) { }
    void setArgs(std::vector<std::string> arguments) override { inner_.setArgs(std::move(arguments)); }
    std::string startProcessGetResult() override { return results.emplace_back(inner_.startProcessGetResult()); }
    std::vector<std::string> results;

private:
    CommandRunner& inner_;
};

std::string run(CommandRunner& runner, std::string command)
{
    runner.setArgs(shellCommandArguments(std::move(command)));
    return runner.startProcessGetResult();
}

TEST(DeInstallationRunner, RunningServerStoppedFilesAndSecretGoneAccountsStay)
{
    if (!PrivilegedMac::available())
        FAIL() << "shellTool or the stand-in tools are not where the build puts them: a path look-up is broken";
    PrivilegedMac mac;
    TaskWrapper& runner = mac.runner();
    const PlatformPaths paths = mac.paths();
    const ServerFileLocations locations(mac.resources(), paths);
    // What installation leaves: the directory with both files and their two links.
    fs::create_directories(locations.installationDirectory());
    fs::copy_file(locations.serverTemplate(), locations.installedServerFile());
    fs::copy_file(locations.jobTemplate(), locations.installedJobFile());
    const fs::path jobLink = paths.map(kJobLink);
    const fs::path configurationLink = paths.map(kConfigurationLink);
    fs::create_directories(jobLink.parent_path());
    fs::create_directories(configurationLink.parent_path());
    fs::create_symlink(locations.installedJobFile(), jobLink);
    fs::create_symlink(locations.installedServerFile(), configurationLink);

    const std::string findSecret = "security find-generic-password -a com.apple.ppp.L2TP -s com.apple.net.racoon -w '"
                                   + paths.map(kSystemKeychain) + "'";
    runner.setArgs(addSharedSecretCommand(paths, "Secret42"));
    runner.startProcessGetResult();
    run(runner, "dscl . -create /Users/alice UniqueID 1010");
    runStartCommand(runner, paths);
    ASSERT_TRUE(isJobLoaded(runner));
    ASSERT_EQ(run(runner, findSecret), "Secret42");
    const std::string accounts = run(runner, "dscl . -list /Users");
    ASSERT_NE(accounts.find("alice"), std::string::npos);

    EXPECT_TRUE(deInstall(runner, paths).ok());

    EXPECT_FALSE(isJobLoaded(runner));
    EXPECT_FALSE(fs::exists(locations.installationDirectory()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(jobLink)));
    EXPECT_FALSE(fs::exists(fs::symlink_status(configurationLink)));
    EXPECT_EQ(run(runner, findSecret), "");
    EXPECT_EQ(run(runner, "dscl . -list /Users"), accounts);
    // The folders the links lay in are the Mac's own and stay.
    EXPECT_TRUE(fs::is_directory(jobLink.parent_path()));
    EXPECT_TRUE(fs::is_directory(configurationLink.parent_path()));

    ResultLog again(runner);
    EXPECT_TRUE(deInstall(again, paths).ok()) << "nothing left to remove is no failure";
    EXPECT_EQ(again.results, (std::vector<std::string>{"", "", "", "", ""}));
    EXPECT_EQ(run(runner, "dscl . -list /Users"), accounts);
    EXPECT_TRUE(mac.log().lines.empty());
}

// Issue 17: an unload that failed still removed the files of the job launchd kept running.
TEST(DeInstallationRunner, AJobThatStaysLoadedKeepsItsFilesAndIsReported)
{
    if (!PrivilegedMac::available())
        FAIL() << "shellTool or the stand-in tools are not built";
    PrivilegedMac mac;
    TaskWrapper& runner = mac.runner();
    const PlatformPaths paths = mac.paths();
    const ServerFileLocations locations(mac.resources(), paths);
    fs::create_directories(locations.installationDirectory());
    fs::copy_file(locations.jobTemplate(), locations.installedJobFile());
    const fs::path jobLink = paths.map(kJobLink);
    fs::create_directories(jobLink.parent_path());
    fs::create_symlink(locations.installedJobFile(), jobLink);
    runStartCommand(runner, paths);
    ASSERT_TRUE(isJobLoaded(runner));
    runner.setArgs(addSharedSecretCommand(paths, "Secret42"));
    runner.startProcessGetResult();

    // A launchctl whose unload fails, as it does on a Mac for a job launchd will not let go.
    const fs::path launchctl = mac.root() / "bin/launchctl";
    fs::rename(launchctl, mac.root() / "bin/launchctl.real");
    {
        std::ofstream wrapper(launchctl);
        wrapper << "#!/bin/sh\n[ \"$1\" = unload ] && exit 1\nexec \"$0.real\" \"$@\"\n";
    }
    fs::permissions(launchctl, fs::perms::owner_all);

    const Status removed = deInstall(runner, paths);
    EXPECT_EQ(removed.message(), "The VPN server could not be stopped, so its files were left in place.");
    EXPECT_TRUE(isJobLoaded(runner));
    EXPECT_TRUE(fs::exists(locations.installedJobFile()));
    EXPECT_TRUE(fs::is_symlink(jobLink));
    EXPECT_EQ(storedSharedSecret(paths, runner), "Secret42") << "nothing at all was removed";
}

} // namespace
} // namespace veltrona::test
