// The launch sequence and the login sheet, driven as a user would, against an emulated Mac with
// the real runner's authentication and the emulated login keychain.
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "app/WindowController.h"
#include "platform/AuthorizationServices.h"
#include "services/Keychain.h"
#include "services/TaskWrapper.h"
#include "tests/app/AppTestBed.h"
#include "tests/support/FileText.h"
#include "vpnserver/InstallationScript.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

const QString kFailure = QStringLiteral("Access failed : Cannot authenticate the Administrator.");

class LaunchSequence : public ::testing::Test {
protected:
    // Checking an administrator defines the program's right; an untouched database means no attempt.
    bool authenticationWasAttempted() { return bed.authorization.rightGet(kAdminRightName, nullptr) == 0; }
    std::string storedPassword(const std::string& name) { return bed.passwordStore().getPasswordForUser(name); }
    std::filesystem::path loginKeychain() { return bed.paths.map("/Users/admin/Library/Keychains/login.keychain"); }

    // The check box as a previous launch left it.
    void rememberBoxFromLastLaunch(bool on) { bed.defaults.setStringForKey("savePasswordInKeychain", on ? "1" : "0"); }

    void typeIntoSheet(WindowController& window, const QString& name, const QString& password)
    {
        window.administratorField->clear();
        QTest::keyClicks(window.administratorField, name);
        window.passwordField->clear();
        QTest::keyClicks(window.passwordField, password);
    }

    AppTestBed bed;
};

TEST_F(LaunchSequence, RememberBoxOffOpensTheSheetAtOnceWithoutTryingToLogIn)
{
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();

    ASSERT_NE(window.unixTask, nullptr);
    EXPECT_EQ(window.administratorField->text(), QStringLiteral("Admin User"));
    EXPECT_TRUE(window.passwordField->text().isEmpty());
    EXPECT_TRUE(window.loginPanel->isVisible());
    EXPECT_EQ(window.loginPanel->windowModality(), Qt::WindowModal);
    EXPECT_FALSE(authenticationWasAttempted());
    EXPECT_TRUE(bed.recorder.runs().empty());
    EXPECT_EQ(bed.interaction.beepCount(), 0);
}

TEST_F(LaunchSequence, NameKeptFromTheLastLaunchIsLeftAlone)
{
    bed.defaults.setStringForKey("administratorName", "admin");
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();
    EXPECT_EQ(window.administratorField->text(), QStringLiteral("admin"));
}

TEST_F(LaunchSequence, RememberedValidPasswordLogsInWithoutTheSheetAndLeavesTheKeychainAlone)
{
    bed.passwordStore().storePassword("secret", "Admin User");
    const std::string keychainBefore = readText(loginKeychain());
    rememberBoxFromLastLaunch(true);

    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();

    EXPECT_FALSE(window.loginPanel->isVisible());
    EXPECT_EQ(window.passwordField->text(), QStringLiteral("secret"));
    EXPECT_TRUE(authenticationWasAttempted());
    // The start-up checks ran: the installation directory was missing, so the script ran first.
    ASSERT_FALSE(bed.recorder.runs().empty());
    EXPECT_EQ(bed.recorder.runs().front(), installationCommand(bed.paths));
    EXPECT_EQ(readText(loginKeychain()), keychainBefore);
}

TEST_F(LaunchSequence, RememberBoxOnWithNothingStoredTriesErrorAndSelectsIt)
{
    rememberBoxFromLastLaunch(true);
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();

    EXPECT_EQ(window.passwordField->text(), QStringLiteral("ERROR"));
    EXPECT_EQ(window.passwordField->selectedText(), QStringLiteral("ERROR"));
    EXPECT_TRUE(window.loginPanel->isVisible());
    EXPECT_TRUE(authenticationWasAttempted());
    EXPECT_TRUE(window.passwordInfoField->text().isEmpty()) << "the silent attempt fails without a message";
    EXPECT_EQ(bed.log.lines.size(), 1U);
    EXPECT_TRUE(bed.recorder.runs().empty());
}

TEST_F(LaunchSequence, RememberedWrongPasswordOpensTheSheet)
{
    bed.passwordStore().storePassword("stale", "Admin User");
    rememberBoxFromLastLaunch(true);
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();

    EXPECT_TRUE(window.loginPanel->isVisible());
    EXPECT_EQ(window.passwordField->selectedText(), QStringLiteral("stale"));
    EXPECT_TRUE(bed.recorder.runs().empty());
}

TEST_F(LaunchSequence, FailedLoginFromTheSheetBeepsExplainsAndStays)
{
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();

    struct Attempt {
        QString name;
        QString password;
    };
    const Attempt attempts[] = {{QStringLiteral("admin"), QStringLiteral("wrong")},
                                {QStringLiteral("nobody-here"), QStringLiteral("secret")},
                                {QStringLiteral("Admin User"), QString()}};
    int beeps = 0;
    for (const Attempt& attempt : attempts) {
        typeIntoSheet(window, attempt.name, attempt.password);
        QTest::mouseClick(window.loginButton, Qt::LeftButton);
        ++beeps;
        EXPECT_EQ(bed.interaction.beepCount(), beeps) << attempt.name.toStdString();
        EXPECT_EQ(window.passwordInfoField->text(), kFailure);
        EXPECT_TRUE(window.loginPanel->isVisible());
        EXPECT_EQ(window.passwordField->selectedText(), attempt.password);
    }
    EXPECT_TRUE(bed.recorder.runs().empty());
    EXPECT_EQ(storedPassword("admin"), "ERROR");
}

TEST_F(LaunchSequence, SuccessWithTheBoxOnStoresOrReplacesThePassword)
{
    bed.passwordStore().storePassword("old one", "admin");
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();

    typeIntoSheet(window, QStringLiteral("admin"), QStringLiteral("wrong"));
    QTest::mouseClick(window.loginButton, Qt::LeftButton);
    typeIntoSheet(window, QStringLiteral("admin"), QStringLiteral("secret"));
    window.savePasswordInKeychain->setChecked(true);
    QTest::mouseClick(window.loginButton, Qt::LeftButton);

    EXPECT_FALSE(window.loginPanel->isVisible());
    EXPECT_EQ(storedPassword("admin"), "secret");
    EXPECT_EQ(window.passwordInfoField->text(), kFailure) << "a later success does not clear the message";
    ASSERT_FALSE(bed.recorder.runs().empty());
    EXPECT_EQ(bed.recorder.runs().front(), installationCommand(bed.paths));

    // A new launch finds the name and the box as they were, and logs in without the sheet.
    WindowController& next = bed.makeController();
    next.applicationDidFinishLaunching();
    EXPECT_EQ(next.administratorField->text(), QStringLiteral("admin"));
    EXPECT_TRUE(next.savePasswordInKeychain->isChecked());
    EXPECT_FALSE(next.loginPanel->isVisible());
}

TEST_F(LaunchSequence, SuccessWithTheBoxOffDeletesAStoredPassword)
{
    for (bool storedBefore : {true, false}) {
        if (storedBefore)
            bed.passwordStore().storePassword("secret", "Admin User");
        WindowController& window = bed.makeController();
        window.applicationDidFinishLaunching();
        window.savePasswordInKeychain->setChecked(false);
        QTest::keyClicks(window.passwordField, QStringLiteral("secret"));
        QTest::keyClick(window.passwordField, Qt::Key_Return); // the default button

        EXPECT_FALSE(window.loginPanel->isVisible()) << storedBefore;
        EXPECT_EQ(storedPassword("Admin User"), "ERROR") << storedBefore;
    }
}

TEST_F(LaunchSequence, QuitButtonAndEscapeEndTheProgramFromTheSheet)
{
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();
    QTest::mouseClick(window.quitButton, Qt::LeftButton);
    EXPECT_EQ(bed.interaction.terminateCount(), 1);
    EXPECT_FALSE(window.loginPanel->isVisible());

    WindowController& again = bed.makeController();
    again.applicationDidFinishLaunching();
    QTest::keyClick(again.passwordField, Qt::Key_Escape);
    EXPECT_EQ(bed.interaction.terminateCount(), 2) << "Escape must not just hide the sheet";
    EXPECT_TRUE(bed.recorder.runs().empty());
}

} // namespace
} // namespace veltrona::test
