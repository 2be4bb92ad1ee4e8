// The connections of the window resource: every button, menu item and delegate of the
// window and its sheets, triggered once as a user would, runs its own action method with itself
// as the sender; where the action already does something, that is seen too.
#include "app/AccountArrayController.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"
#include "tests/app/AppTestBed.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <functional>
#include <set>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using Action = WindowController::Action;
using Dispatch = std::pair<Action, QObject*>;

class WindowWiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = &bed.makeController();
        window->setActionObserver([this](Action action, QObject* sender) { dispatched.emplace_back(action, sender); });
    }

    QAbstractButton* button(QWidget* root, const char* name) const
    {
        return root->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    QAction* menuItem(const char* name) const
    {
        return window->window()->findChild<QAction*>(QString::fromLatin1(name));
    }

    AppTestBed bed;
    WindowController* window = nullptr;
    std::vector<Dispatch> dispatched;
};

TEST_F(WindowWiring, EveryMenuItemAndButtonRunsItsActionWithItselfAsSender)
{
    QWidget* main = window->window();
    struct Case {
        QObject* control;
        Action action;
        Sheet* sheet = nullptr; // shown before the click, when the control sits on a sheet
    };
    const std::vector<Case> cases = {
        {menuItem("saveMobileConfigProfileAction"), &WindowController::saveMobileConfigProfile},
        {menuItem("backUpServerAction"), &WindowController::backUpServer},
        {menuItem("restoreServerAction"), &WindowController::restoreServer},
        {menuItem("showSharedSecretPanelAction"), &WindowController::showSharedSecretPanel},
        {menuItem("suggestIPAddressesAction"), &WindowController::suggestIPAddresses},
        {menuItem("checkSetupAction"), &WindowController::checkSetup},
        {menuItem("connectedClientsAction"), &WindowController::showConnectedClients},
        {menuItem("deInstallAction"), &WindowController::deInstall},
        {menuItem("addUserAction"), &WindowController::addUser},
        {menuItem("resetPasswordAction"), &WindowController::handleDoubleClick},
        {menuItem("deleteUserAction"), &WindowController::deleteUser},
        {menuItem("sendProfileToPhoneAction"), &WindowController::sendProfileToPhone},
        {menuItem("checkForUpdatesAction"), &WindowController::checkForUpdates},
        {menuItem("homePageAction"), &WindowController::loadURL},
        {menuItem("productPageAction"), &WindowController::loadURL},
        {window->vpnButton, &WindowController::VPN},
        {button(main, "showSharedSecretPanelButton"), &WindowController::showSharedSecretPanel},
        {button(main, "suggestIPAddressesButton"), &WindowController::suggestIPAddresses},
        {button(main, "addUserButton"), &WindowController::addUser},
        {button(main, "deleteUserButton"), &WindowController::deleteUser},
        {button(main, "resetPasswordButton"), &WindowController::handleDoubleClick},
        {button(main, "saveMobileConfigProfileButton"), &WindowController::saveMobileConfigProfile},
        {window->loginButton, &WindowController::doLogin, window->loginPanel},
        {window->quitButton, &WindowController::quitApp, window->loginPanel},
        {button(window->sharedSecretPanel, "sharedSecretCancelButton"), &WindowController::closeSharedSecretPanel,
         window->sharedSecretPanel},
        {button(window->sharedSecretPanel, "sharedSecretSaveButton"), &WindowController::closeSharedSecretPanel,
         window->sharedSecretPanel},
        {button(window->setupCheckPanel, "setupCheckDoneButton"), &WindowController::closeSheet,
         window->setupCheckPanel},
        {button(window->userAccountsPanel, "userAccountsCreateButton"), &WindowController::saveUser,
         window->userAccountsPanel},
        {button(window->userAccountsPanel, "userAccountsCancelButton"), &WindowController::closeSheet,
         window->userAccountsPanel},
        {button(window->userResetPasswordPanel, "userResetPasswordSaveButton"), &WindowController::saveNewPassword,
         window->userResetPasswordPanel},
        {button(window->userResetPasswordPanel, "userResetPasswordCancelButton"), &WindowController::closeSheet,
         window->userResetPasswordPanel},
        {button(window->sendProfilePanel, "sendProfileDoneButton"), &WindowController::closeSendProfilePanel,
         window->sendProfilePanel},
        {button(window->backUpPanel, "backUpCancelButton"), &WindowController::closeBackUpPanel, window->backUpPanel},
        {button(window->backUpPanel, "backUpSaveButton"), &WindowController::closeBackUpPanel, window->backUpPanel},
        {button(window->restorePanel, "restoreCancelButton"), &WindowController::closeRestorePanel,
         window->restorePanel},
        {button(window->restorePanel, "restoreOpenButton"), &WindowController::closeRestorePanel, window->restorePanel},
        {button(window->restorePanel, "restoreButton"), &WindowController::closeRestorePanel, window->restorePanel},
    };

    // The table covers every menu item and every push button there is, but the two File items
    // that close and quit without an action method (below).
    std::set<QObject*> covered;
    for (const Case& c : cases) {
        ASSERT_NE(c.control, nullptr);
        covered.insert(c.control);
    }
    for (QAction* menu : window->window()->menuBar()->actions()) {
        for (QAction* item : menu->menu()->actions()) {
            if (!item->isSeparator() && item != menuItem("closeWindowAction") && item != menuItem("quitAction")) {
                EXPECT_TRUE(covered.count(item)) << item->objectName().toStdString();
            }
        }
    }
    for (QWidget* top :
         {main, static_cast<QWidget*>(window->loginPanel), static_cast<QWidget*>(window->sharedSecretPanel),
          static_cast<QWidget*>(window->setupCheckPanel), static_cast<QWidget*>(window->userAccountsPanel),
          static_cast<QWidget*>(window->userResetPasswordPanel), static_cast<QWidget*>(window->sendProfilePanel),
          static_cast<QWidget*>(window->backUpPanel), static_cast<QWidget*>(window->restorePanel)}) {
        for (QPushButton* b : top->findChildren<QPushButton*>()) {
            if (b->window() == top) {
                EXPECT_TRUE(covered.count(b)) << b->objectName().toStdString();
            }
        }
    }

    std::vector<std::pair<Action, int>> beeps; // per action, summed below
    for (const Case& c : cases) {
        SCOPED_TRACE(c.control->objectName().toStdString());
        if (c.sheet)
            bed.interaction.beginSheet(main, c.sheet);
        dispatched.clear();
        const int beepsBefore = bed.interaction.beepCount();
        if (auto* item = qobject_cast<QAction*>(c.control))
            item->trigger();
        else
            QTest::mouseClick(static_cast<QAbstractButton*>(c.control), Qt::LeftButton);
        EXPECT_EQ(dispatched, (std::vector<Dispatch>{{c.action, c.control}}));
        if (c.action == &WindowController::VPN) {
            ASSERT_FALSE(bed.recorder.scripts().empty());
            EXPECT_NE(bed.recorder.scripts().back().find("launchctl list"), std::string::npos)
                << "VPN: refreshed the state";
        }
        if (c.sheet
            && (c.action == &WindowController::closeSheet || c.action == &WindowController::closeSendProfilePanel)) {
            EXPECT_FALSE(c.sheet->isVisible()) << "closeSheet: ends the sheet holding its sender";
        }
        if (c.sheet)
            bed.interaction.endSheet(c.sheet, 0);
        beeps.emplace_back(c.action, bed.interaction.beepCount() - beepsBefore);
    }

    // What the actions that already work did. With nothing typed and no account listed, each
    // account action and the profile export beep once per control that sent it; so do the backup
    // sheet's "Back Up" and the restore sheet's "Open" (no passphrase, no file).
    const std::pair<Action, int> expectedBeeps[] = {
        {&WindowController::doLogin, 1},
        {&WindowController::saveUser, 1},
        {&WindowController::saveNewPassword, 1},
        {&WindowController::deleteUser, 2},
        {&WindowController::handleDoubleClick, 2},
        {&WindowController::saveMobileConfigProfile, 2},
        {&WindowController::sendProfileToPhone, 1},
        {&WindowController::closeBackUpPanel, 1},
        {&WindowController::closeRestorePanel, 1},
    };
    for (const Case& c : cases) {
        int expected = 0;
        int seen = 0;
        for (const auto& [action, count] : expectedBeeps)
            expected += action == c.action ? count : 0;
        for (const auto& [action, count] : beeps)
            seen += action == c.action ? count : 0;
        EXPECT_EQ(seen, expected) << c.control->objectName().toStdString();
    }
    EXPECT_FALSE(window->passwordInfoField->text().isEmpty());
    EXPECT_EQ(bed.interaction.terminateCount(), 1) << "quitApp:";
}

TEST_F(WindowWiring, TheDelegateFieldsAndTheTableReachTheirActions)
{
    bed.interaction.beginSheet(window->window(), window->userAccountsPanel);
    QTest::keyClick(window->userNameField, Qt::Key_A);
    EXPECT_EQ(dispatched, (std::vector<Dispatch>{{&WindowController::controlTextDidChange, window->userNameField}}));
    window->userNameField->setText(QStringLiteral("set by the program")); // not the user: no delegate call
    EXPECT_EQ(dispatched.size(), 1U);
    bed.interaction.endSheet(window->userAccountsPanel, 0);

    dispatched.clear();
    bed.interaction.beginSheet(window->window(), window->sharedSecretPanel);
    QTest::keyClick(window->sharedSecretPanelField, Qt::Key_B);
    EXPECT_EQ(dispatched,
              (std::vector<Dispatch>{{&WindowController::controlTextDidChange, window->sharedSecretPanelField}}));
    bed.interaction.endSheet(window->sharedSecretPanel, 0);

    dispatched.clear();
    window->userAccountsController->addObjects({{"alice", "1"}});
    QTableView* table = window->userAccountsTableView;
    const QRect row = table->visualRect(table->model()->index(0, 0));
    ASSERT_TRUE(row.isValid());
    // As a mouse sends it: a press and release, then the second press as a double click.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(table->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_EQ(dispatched, (std::vector<Dispatch>{{&WindowController::handleDoubleClick, table}}));
}

TEST_F(WindowWiring, CloseAndQuitMenuItems)
{
    menuItem("quitAction")->trigger();
    EXPECT_EQ(bed.interaction.terminateCount(), 1);
    EXPECT_EQ(bed.interaction.alerts().size(), 0);
    ASSERT_TRUE(window->window()->isVisible());
    bed.interaction.queueAlertAnswer(1001);
    menuItem("closeWindowAction")->trigger();
    EXPECT_TRUE(window->window()->isVisible()) << "windowShouldClose: asks instead";
    EXPECT_EQ(bed.interaction.alerts().size(), 1);
    EXPECT_EQ(bed.interaction.terminateCount(), 1);
    EXPECT_TRUE(dispatched.empty());
}

} // namespace
} // namespace veltrona::test
