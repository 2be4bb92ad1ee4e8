// The reset sheet and the deletion of the selected account, driven like a user on an emulated Mac
// through the real runner; without a selected account each beeps once and does nothing else.
#include "accounts/AccountActions.h"
#include "accounts/AccountEntry.h"
#include "app/Alert.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/app/AccountWindow.h"
#include "tests/app/AlertShown.h"
#include "tests/support/FailingDscl.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>

#include <algorithm>

namespace veltrona::test {
namespace {

QPushButton* mainButton(WindowController& window, const char* name)
{
    return window.window()->findChild<QPushButton*>(QString::fromLatin1(name));
}

// The deletion's alerts, written out once here so that a changed text fails.
const std::string kAtLeastOne = "You need to have at least one VPN User defined for the VPN Server to work.";
const std::string kAdminRefused = "The user (admin) is an admin user. | Veltrona will not delete an admin-level user.\n"
                                  "Please use the Accounts Pane in Systems Preferences. | OK | sheet";
const std::string kConfirmAlice =
    "Warning - Are you sure you want to delete this VPN User (alice)? | " + kAtLeastOne + " | No,Delete | sheet";

class SelectedAccount : public AccountWindow {
protected:
    void SetUp() override
    {
        AccountWindow::SetUp();
        addVpnUser("alice", 401);
        addVpnUser("bob", 402);
        window->loadUserAccountsArray();
        ASSERT_EQ(listed(), (std::vector<std::string>{"alice", "bob"}));
    }

    // A double click on the account's row, as the mouse sends it.
    void doubleClickRow(int row)
    {
        QTableView* table = window->userAccountsTableView;
        const QPoint centre = table->visualRect(table->model()->index(row, 0)).center();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centre);
        QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, centre);
    }

    void resetWith(const char* password, const char* verify)
    {
        window->userResetPasswordField->setText(QString::fromUtf8(password));
        window->userResetPasswordVerifyField->setText(QString::fromUtf8(verify));
        QTest::mouseClick(
            window->userResetPasswordPanel->findChild<QPushButton*>(QStringLiteral("userResetPasswordSaveButton")),
            Qt::LeftButton);
    }

    void clickDelete() { QTest::mouseClick(mainButton(*window, "deleteUserButton"), Qt::LeftButton); }
};

TEST_F(SelectedAccount, WithoutASelectedAccountResetDeleteAndExportBeepOnceAndDoNothingElse)
{
    QTableView* table = window->userAccountsTableView;
    window->userAccountsController->setSelectionIndex(0);
    // Below the two rows: Qt reports no row there, the window still hears the double click.
    const QPoint empty(10, table->viewport()->height() - 5);
    ASSERT_FALSE(table->indexAt(empty).isValid());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, empty);
    EXPECT_EQ(bed.interaction.beepCount(), 1);
    EXPECT_TRUE(selected().empty()) << "a click on no row selects none";
    EXPECT_FALSE(window->userResetPasswordPanel->isVisible());

    for (const char* button : {"resetPasswordButton", "deleteUserButton", "saveMobileConfigProfileButton"}) {
        SCOPED_TRACE(button);
        const int beeps = bed.interaction.beepCount();
        QTest::mouseClick(mainButton(*window, button), Qt::LeftButton);
        EXPECT_EQ(bed.interaction.beepCount(), beeps + 1);
    }
    EXPECT_FALSE(window->userResetPasswordPanel->isVisible());
    EXPECT_TRUE(bed.interaction.alerts().isEmpty());
    EXPECT_TRUE(bed.interaction.savePanels().isEmpty());
    EXPECT_EQ(listed(), (std::vector<std::string>{"alice", "bob"}));
    EXPECT_TRUE(user("alice") && user("bob"));
}

TEST_F(SelectedAccount, TheResetSheetRefusesInOrderThenSetsTheStrippedPassword)
{
    doubleClickRow(1);
    ASSERT_TRUE(window->userResetPasswordPanel->isVisible());
    EXPECT_EQ(window->userResetPasswordUserNameField->text(), QStringLiteral("bob"));
    EXPECT_EQ(window->userResetPasswordPanel->focusWidget(), window->userResetPasswordField);

    const struct {
        const char* password;
        const char* verify;
        const char* message;
        QLineEdit* WindowController::*focus;
    } refusals[] = {
        {"", "new", kPasswordFieldsEmptyMessage, &WindowController::userResetPasswordField},
        {"new", "", kPasswordFieldsEmptyMessage, &WindowController::userResetPasswordVerifyField},
        {"New", "new", kPasswordsDoNotMatchMessage, &WindowController::userResetPasswordField},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(std::string(r.password) + "|" + r.verify);
        const int beeps = bed.interaction.beepCount();
        resetWith(r.password, r.verify);
        EXPECT_EQ(bed.interaction.beepCount(), beeps + 1);
        EXPECT_EQ(window->userResetPasswordInfoField->text().toStdString(), r.message);
        EXPECT_EQ(window->userResetPasswordPanel->focusWidget(), window->*r.focus);
        EXPECT_TRUE(window->userResetPasswordPanel->isVisible());
    }

    // Issue 17: blanks at the ends are stripped as creation strips them, and written back.
    bed.defaults.setStringForKey("saveMobileConfigFile", "1");
    resetWith(" in side ", "in side\t");
    EXPECT_FALSE(window->userResetPasswordPanel->isVisible());
    EXPECT_TRUE(userPasswordMatches(*user("bob"), "in side"));
    EXPECT_EQ(window->userResetPasswordField->text(), QStringLiteral("in side"));
    EXPECT_EQ(listed(), (std::vector<std::string>{"alice", "bob"}));
    EXPECT_EQ(selected(), std::vector<std::string>{"bob"});
    EXPECT_EQ(profilePayloadValue(desktop() / "bob.L2TP.mobileconfig", "PPP.AuthPassword"), bytes("in side"));
    EXPECT_EQ(notifications(), "") << "a reset changes no account list";

    // Opened again: the old message and passwords are gone.
    doubleClickRow(0);
    EXPECT_EQ(window->userResetPasswordUserNameField->text(), QStringLiteral("alice"));
    EXPECT_TRUE(window->userResetPasswordInfoField->text().isEmpty());
    EXPECT_TRUE(window->userResetPasswordField->text().isEmpty());
}

TEST_F(SelectedAccount, AnAdministratorIsRefusedAndNoChangesNothing)
{
    // An administrator's record in the list, as a VPN account of that name would stand there.
    window->userAccountsController->addObject({"admin", "0"});
    window->userAccountsController->setSelectionIndex(2);
    clickDelete();
    ASSERT_EQ(bed.interaction.alerts().size(), 1);
    EXPECT_EQ(alertShown(bed.interaction.alerts().back()), kAdminRefused);
    EXPECT_TRUE(user("admin"));
    EXPECT_EQ(listed().size(), 3U);

    window->userAccountsController->setSelectionIndex(0);
    bed.interaction.queueAlertAnswer(NSAlertFirstButtonReturn); // "No"
    clickDelete();
    ASSERT_EQ(bed.interaction.alerts().size(), 2);
    EXPECT_EQ(alertShown(bed.interaction.alerts().back()), kConfirmAlice);
    EXPECT_TRUE(user("alice"));
    EXPECT_EQ(listed().size(), 3U);
    EXPECT_EQ(notifications(), "");
}

TEST_F(SelectedAccount, DeletingEveryAccountDownToTheLast)
{
    for (const char* name : {"bob", "alice"}) {
        SCOPED_TRACE(name);
        window->userAccountsController->setSelectionIndex(static_cast<int>(listed().size()) - 1);
        bed.interaction.queueAlertAnswer(NSAlertSecondButtonReturn); // "Delete"
        clickDelete();
        EXPECT_FALSE(user(name));
        const std::vector<std::string> left = listed();
        EXPECT_EQ(std::count(left.begin(), left.end(), name), 0);
        ASSERT_TRUE(bed.interaction.lastAlert());
        EXPECT_EQ(alertShown(*bed.interaction.lastAlert()),
                  "The VPN User (" + std::string(name) + ") has been deleted | " + kAtLeastOne + " | OK | sheet");
        EXPECT_FALSE(window->progressIndicator->isVisible());
    }
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(notifications(), "com.apple.UserWasRemovedNotification\ncom.apple.UserWasRemovedNotification\n");
}

// Issue 17: a reset or deletion that did not take is reported; the list then shows the directory.
TEST_F(SelectedAccount, AResetOrDeletionThatDidNotTakeIsReported)
{
    makeDsclFail(bed.platform.root(), "-passwd");
    doubleClickRow(1);
    resetWith("new", "new");
    EXPECT_TRUE(window->userResetPasswordPanel->isVisible());
    EXPECT_EQ(window->userResetPasswordInfoField->text().toStdString(), "The password could not be changed.");
    EXPECT_EQ(window->userResetPasswordPanel->focusWidget(), window->userResetPasswordField);
    EXPECT_EQ(bed.interaction.beepCount(), 1);
    window->userResetPasswordPanel->hide();

    std::filesystem::rename(bed.platform.root() / "usr/bin/dscl.real", bed.platform.root() / "usr/bin/dscl");
    makeDsclFail(bed.platform.root(), "-delete");
    window->userAccountsTableView->sortByColumn(0, Qt::DescendingOrder);
    window->userAccountsController->setSelectionIndex(1);
    bed.interaction.queueAlertAnswer(NSAlertSecondButtonReturn); // "Delete"
    clickDelete();
    ASSERT_TRUE(bed.interaction.lastAlert());
    EXPECT_EQ(alertShown(*bed.interaction.lastAlert()),
              "The VPN User (alice) could not be deleted | It is still in the directory. | OK | sheet");
    EXPECT_TRUE(user("alice"));
    EXPECT_EQ(listed(), (std::vector<std::string>{"alice", "bob"})) << "reloaded: unsorted again";
    EXPECT_FALSE(window->progressIndicator->isVisible());
    EXPECT_EQ(notifications(), "");
}

// The alert dialog shown over the window, if any: a visible dialog that is none of its sheets.
QDialog* openAlert(WindowController& window)
{
    const QList<QDialog*> sheets = {window.loginPanel, window.sharedSecretPanel, window.userAccountsPanel,
                                    window.userResetPasswordPanel};
    for (QDialog* dialog : window.window()->findChildren<QDialog*>()) {
        if (dialog->isVisible() && !sheets.contains(dialog))
            return dialog;
    }
    return nullptr;
}

// The confirmation as the user meets it: Return answers "No", the default button.
TEST(WindowAccountDeletion, ReturnOnTheConfirmationKeepsTheAccount)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot, Interaction::Mode::Interactive);
    WindowController& window = bed.makeController();
    window.administratorField->setText(QStringLiteral("admin"));
    window.passwordField->setText(QStringLiteral("secret"));
    ASSERT_EQ(window.shouldAccessBeGranted(), 0);
    storeVpnUser(bed.platform.root(), "carol", 401);
    window.loadUserAccountsArray();
    ASSERT_TRUE(window.userAccountsController->setSelectionIndex(0));

    QTest::mouseClick(mainButton(window, "deleteUserButton"), Qt::LeftButton);
    QDialog* confirmation = openAlert(window);
    ASSERT_NE(confirmation, nullptr);
    EXPECT_EQ(confirmation->windowModality(), Qt::WindowModal) << "a sheet on the window";
    QTest::keyClick(confirmation, Qt::Key_Return);
    EXPECT_EQ(openAlert(window), nullptr);
    EXPECT_EQ(window.userAccountsController->arrangedCount(), 1);
    EXPECT_TRUE(Directory(bed.platform.root()).find(RecordType::Users, "carol").record);
}

} // namespace
} // namespace veltrona::test
