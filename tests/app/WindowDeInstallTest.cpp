// De-installing from the window on an emulated Mac, commands run as root through the real runner
// and shellTool: the question, what goes and what stays, what the window shows afterwards, and
// that the next start installs again.
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "platform/emulated/LaunchdState.h"
#include "tests/app/AlertShown.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/RootListing.h"
#include "tests/app/WindowServerShown.h"
#include "vpnserver/DeInstallation.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/SharedSecret.h"
#include "vpnserver/VpnButton.h"

#include <QAction>
#include <QLineEdit>
#include <QProgressBar>
#include <QTest>

#include <algorithm>
#include <fstream>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

class WindowDeInstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = &bed.makeLoggedInController();
        window->doStartUpChecks();
        window->sharedSecretField->setText(u"Secret42"_s);
        QTest::mouseClick(window->vpnButton, Qt::LeftButton); // Start VPN
        ASSERT_TRUE(jobLoaded());
        ASSERT_EQ(shownBy(*window), kRunning);
        // The shared secret's item, and an account made by the program.
        window->runner().setArgs(addSharedSecretCommand(bed.paths, "Secret42"));
        window->runner().startProcessGetResult();
        ASSERT_EQ(run(findSecret()), "Secret42");
        run("dscl . -create /Users/alice UniqueID 1010");
        accounts = run("dscl . -list /Users");
        ASSERT_NE(accounts.find("alice"), std::string::npos);
    }

    std::string run(const std::string& command)
    {
        window->runner().setArgs(shellCommandArguments(command));
        return window->runner().startProcessGetResult();
    }
    std::string findSecret() const
    {
        return "security find-generic-password -a com.apple.ppp.L2TP -s com.apple.net.racoon -w '"
               + bed.paths.map(kSystemKeychain) + "'";
    }
    bool jobLoaded() const
    {
        const auto jobs = LaunchdState(bed.paths).loadedJobs();
        return jobs && std::any_of(jobs->begin(), jobs->end(), [](const LaunchdJob& job) {
                   return job.label == "com.brantholm.vpn";
               });
    }
    void chooseDeInstall(int answer)
    {
        bed.interaction.queueAlertAnswer(answer);
        window->window()->findChild<QAction*>(u"deInstallAction"_s)->trigger();
    }

    AppTestBed bed{AppTestBed::Commands::RunAsRoot};
    WindowController* window = nullptr;
    std::string accounts;
};

TEST_F(WindowDeInstall, CancelChangesNothing)
{
    const auto before = everyFileWithContents(bed.platform.root());
    const QString host = window->vpnHostField->text();

    chooseDeInstall(1001);

    ASSERT_EQ(bed.interaction.alerts().size(), 1);
    EXPECT_EQ(alertShown(bed.interaction.alerts().front()), alertShown(deInstallConfirmation(), true));
    EXPECT_EQ(changedEntries(before, everyFileWithContents(bed.platform.root())), std::vector<std::string>{});
    EXPECT_EQ(shownBy(*window), kRunning);
    EXPECT_EQ(window->sharedSecretField->text(), u"Secret42"_s);
    EXPECT_EQ(window->vpnHostField->text(), host);
}

TEST_F(WindowDeInstall, StopsTheServerRemovesItsFilesAndSecretKeepsTheAccounts)
{
    chooseDeInstall(1000);

    ASSERT_EQ(bed.interaction.alerts().size(), 1);
    EXPECT_TRUE(bed.interaction.alerts().front().asSheet);
    EXPECT_FALSE(jobLoaded());
    EXPECT_FALSE(fs::exists(bed.installationDirectory()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(bed.paths.map(kJobLink))));
    EXPECT_FALSE(fs::exists(fs::symlink_status(bed.paths.map(kConfigurationLink))));
    EXPECT_EQ(run(findSecret()), "");
    EXPECT_EQ(run("dscl . -list /Users"), accounts);

    // The window shows the emptied state, still logged in and open.
    EXPECT_EQ(shownBy(*window), kStopped);
    for (const QLineEdit* field : {window->vpnHostField, window->sharedSecretField, window->dnsServerAddressesField,
                                   window->startIPAddressField, window->endIPAddressField}) {
        EXPECT_TRUE(field->text().isEmpty()) << field->objectName().toStdString();
    }
    EXPECT_FALSE(window->progressIndicator->isVisible());
    EXPECT_EQ(bed.interaction.terminateCount(), 0);
    EXPECT_TRUE(window->window()->isVisible());
    // Only the start's note of its first failed check: the secret typed passes, no account exists.
    EXPECT_EQ(bed.log.lines,
              std::vector<std::string>{
                  "The setup check \"VPN accounts\" failed: Add a VPN account so that someone can log in."});

    // Twice in a row: nothing left to remove, nothing told.
    chooseDeInstall(1000);
    EXPECT_EQ(bed.interaction.alerts().size(), 2);
    EXPECT_EQ(shownBy(*window), kStopped);

    // The next start installs again.
    window->sharedSecretField->setText(u"Again7"_s);
    QTest::mouseClick(window->vpnButton, Qt::LeftButton);
    EXPECT_TRUE(fs::is_directory(bed.installationDirectory()));
    EXPECT_TRUE(fs::is_symlink(bed.paths.map(kJobLink)));
    EXPECT_TRUE(jobLoaded());
    EXPECT_EQ(shownBy(*window), kRunning);
    EXPECT_EQ(window->sharedSecretField->text(), u"Again7"_s);
}

// Issue 17: with an unload that failed, the loaded job's files were removed all the same, and a
// stop that did not take was shown only by the light.
TEST_F(WindowDeInstall, AnUnloadThatFailsIsToldAndTheFilesStay)
{
    const fs::path launchctl = bed.platform.root() / "bin/launchctl";
    fs::rename(launchctl, launchctl.string() + ".real");
    std::ofstream(launchctl) << "#!/bin/sh\n[ \"$1\" = unload ] && exit 1\nexec \"$0.real\" \"$@\"\n";
    fs::permissions(launchctl, fs::perms::owner_all);

    chooseDeInstall(1000);
    const AlertRecord told = *bed.interaction.lastAlert();
    EXPECT_EQ(told.messageText, u"Veltrona could not be de-installed"_s);
    EXPECT_EQ(told.informativeText, u"The VPN server could not be stopped, so its files were left in place."_s);
    EXPECT_TRUE(jobLoaded());
    EXPECT_TRUE(fs::is_directory(bed.installationDirectory()));
    EXPECT_EQ(run(findSecret()), "Secret42");
    EXPECT_EQ(shownBy(*window), kRunning);

    window->flagsChanged(kOptionKeyMask);
    ASSERT_EQ(window->vpnButton->text(), u"Stop VPN"_s);
    QTest::mouseClick(window->vpnButton, Qt::LeftButton);
    EXPECT_EQ(bed.interaction.lastAlert()->messageText, u"The VPN server did not stop."_s);
    EXPECT_TRUE(jobLoaded());
    EXPECT_EQ(shownBy(*window), kRunning);
}

} // namespace
} // namespace veltrona::test
