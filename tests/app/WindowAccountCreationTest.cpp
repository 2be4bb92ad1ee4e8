// The new-account sheet driven like a user, on an emulated Mac through the real runner: the
// refusals in order, the account made, listed, selected and shown, its profile on the Desktop, and
// the entry filter of the name field.
#include "accounts/AccountEntry.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/app/AccountWindow.h"
#include "tests/support/FailingDscl.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QPushButton>
#include <QTableView>

namespace veltrona::test {
namespace {

class NewAccountSheet : public AccountWindow {
protected:
    void open()
    {
        QTest::mouseClick(window->window()->findChild<QPushButton*>(QStringLiteral("addUserButton")), Qt::LeftButton);
    }
    void fill(const char* name, const char* password, const char* verify)
    {
        window->userNameField->setText(QString::fromUtf8(name));
        window->userPasswordField->setText(QString::fromUtf8(password));
        window->userPasswordVerifyField->setText(QString::fromUtf8(verify));
    }
    void create()
    {
        QTest::mouseClick(
            window->userAccountsPanel->findChild<QPushButton*>(QStringLiteral("userAccountsCreateButton")),
            Qt::LeftButton);
    }
    QWidget* focused() const { return window->userAccountsPanel->focusWidget(); }
};

TEST_F(NewAccountSheet, RefusalsInOrderEachWithItsMessageFocusAndOneBeep)
{
    struct Case {
        const char* name;
        const char* password;
        const char* verify;
        const char* message;
        QLineEdit* WindowController::*focus;
        const char* nameAfter; // stripped, as written back
    };
    const Case cases[] = {
        {"", "", "", kEntryFieldsEmptyMessage, &WindowController::userNameField, ""},
        {" bob ", " ", "x", kEntryFieldsEmptyMessage, &WindowController::userPasswordField, "bob"},
        {"bob", "pw", "\t", kEntryFieldsEmptyMessage, &WindowController::userPasswordVerifyField, "bob"},
        {"admin", "pw", "PW", kPasswordsDoNotMatchMessage, &WindowController::userPasswordField, "admin"},
        {"admin", "pw", "pw", kAccountNameUsedMessage, &WindowController::userNameField, "admin"},
        // Issue 17: set without typing (as through the accessibility interface), so unfiltered.
        {"Admin", "pw", "pw", "An account name may hold only lower-case letters, marks and digits.",
         &WindowController::userNameField, "Admin"},
        {"root x", "pw", "pw", "An account name may hold only lower-case letters, marks and digits.",
         &WindowController::userNameField, "root x"},
        {"\xD0\xB0"
         "dmin",
         "pw", "pw", "The Account Name looks like an existing account's name.", &WindowController::userNameField,
         "\xD0\xB0"
         "dmin"},
        {"\xEF\xBD\x81\xEF\xBD\x84\xEF\xBD\x8D\xEF\xBD\x89\xEF\xBD\x8E", "pw", "pw",
         "The Account Name looks like an existing account's name.", &WindowController::userNameField,
         "\xEF\xBD\x81\xEF\xBD\x84\xEF\xBD\x8D\xEF\xBD\x89\xEF\xBD\x8E"},
    };
    const auto rootBefore = user("root")->attributes();
    open();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name + std::string("|") + c.password + "|" + c.verify);
        fill(c.name, c.password, c.verify);
        const int beeps = bed.interaction.beepCount();
        create();
        EXPECT_EQ(bed.interaction.beepCount(), beeps + 1);
        EXPECT_EQ(window->userAccountsInfoField->text().toStdString(), c.message);
        EXPECT_EQ(focused(), window->*c.focus);
        EXPECT_EQ(window->userNameField->text().toStdString(), c.nameAfter);
        EXPECT_TRUE(window->userAccountsPanel->isVisible());
    }
    EXPECT_FALSE(user("bob"));
    EXPECT_EQ(user("root")->attributes(), rootBefore);
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(notifications(), "");

    // Opening again starts afresh.
    window->userAccountsPanel->hide();
    open();
    EXPECT_TRUE(window->userAccountsInfoField->text().isEmpty());
    EXPECT_TRUE(window->userNameField->text().isEmpty());
    EXPECT_EQ(focused(), window->userNameField);
}

TEST_F(NewAccountSheet, NoFreeUserIdIsReportedOnTheNameField)
{
    for (int id = 401; id <= 499; ++id)
        addVpnUser("u" + std::to_string(id), id);
    open();
    fill("late", "pw", "pw");
    create();
    EXPECT_EQ(bed.interaction.beepCount(), 1);
    EXPECT_EQ(window->userAccountsInfoField->text().toStdString(), kNoFreeUserIDMessage);
    EXPECT_EQ(focused(), window->userNameField);
    EXPECT_FALSE(user("late"));
    EXPECT_TRUE(window->userAccountsPanel->isVisible());
}

TEST_F(NewAccountSheet, TheNewAccountIsAppendedSelectedShownAndItsProfileLandsOnTheDesktop)
{
    for (int id = 401; id <= 440; ++id)
        addVpnUser("u" + std::to_string(id), id);
    window->loadUserAccountsArray();
    window->userAccountsController->setSelectionIndex(0);
    bed.defaults.setStringForKey("saveMobileConfigFile", "1");
    window->vpnHostField->setText(QStringLiteral("vpn.example.org"));

    open();
    fill("newbie", " two words ", "two words");
    create();
    EXPECT_EQ(bed.interaction.beepCount(), 0) << window->userAccountsInfoField->text().toStdString();
    EXPECT_FALSE(window->userAccountsPanel->isVisible());

    ASSERT_EQ(listed().size(), 41U);
    EXPECT_EQ(listed().back(), "newbie");
    EXPECT_EQ(selected(), std::vector<std::string>{"newbie"});
    QTableView* table = window->userAccountsTableView;
    const QRect row = table->visualRect(table->model()->index(40, 0));
    EXPECT_TRUE(table->viewport()->rect().contains(row)) << "scrolled into view";

    const std::optional<Record> made = user("newbie");
    ASSERT_TRUE(made);
    EXPECT_EQ(made->values("uid"), std::vector<std::string>{"441"});
    EXPECT_TRUE(userPasswordMatches(*made, "two words"));
    EXPECT_EQ(notifications(), "com.apple.UserWasRemovedNotification\n");

    const std::filesystem::path profile = desktop() / "newbie.L2TP.mobileconfig";
    EXPECT_EQ(profilePayloadValue(profile, "PPP.AuthName"), PlistValue(std::string("newbie")));
    EXPECT_EQ(profilePayloadValue(profile, "PPP.AuthPassword"), bytes("two words")) << "the stripped password";
    EXPECT_EQ(profilePayloadValue(profile, "PPP.CommRemoteAddress"), PlistValue(std::string("vpn.example.org")));

    // With the box off, the next account leaves the Desktop alone.
    bed.defaults.setStringForKey("saveMobileConfigFile", "0");
    open();
    fill("second", "pw", "pw");
    create();
    EXPECT_TRUE(user("second"));
    EXPECT_FALSE(std::filesystem::exists(desktop() / "second.L2TP.mobileconfig"));
}

// Issue 17: with the table sorted, the new row stands anywhere; it is the one selected and profiled.
TEST_F(NewAccountSheet, WithTheTableSortedTheNewAccountIsSelectedAndItsProfileIsItsOwn)
{
    addVpnUser("zoe", 401);
    addVpnUser("adam", 402);
    window->loadUserAccountsArray();
    window->userAccountsTableView->sortByColumn(0, Qt::DescendingOrder);
    ASSERT_EQ(listed(), (std::vector<std::string>{"zoe", "adam"}));
    bed.defaults.setStringForKey("saveMobileConfigFile", "1");

    open();
    fill("mia", "mia's pw", "mia's pw");
    create();
    ASSERT_FALSE(window->userAccountsPanel->isVisible()) << window->userAccountsInfoField->text().toStdString();
    EXPECT_EQ(listed(), (std::vector<std::string>{"zoe", "mia", "adam"}));
    EXPECT_EQ(selected(), std::vector<std::string>{"mia"});
    EXPECT_EQ(profilePayloadValue(desktop() / "mia.L2TP.mobileconfig", "PPP.AuthPassword"), bytes("mia's pw"));
    EXPECT_FALSE(std::filesystem::exists(desktop() / "adam.L2TP.mobileconfig"));
    EXPECT_FALSE(std::filesystem::exists(desktop() / "zoe.L2TP.mobileconfig"));
}

// Issue 17: a creation whose password step failed leaves no row, no record, and says so.
TEST_F(NewAccountSheet, AFailedPasswordStepLeavesNoAccountAndTheSheetSaysSo)
{
    makeDsclFail(bed.platform.root(), "-passwd");
    open();
    fill("bob", "pw", "pw");
    create();
    EXPECT_TRUE(window->userAccountsPanel->isVisible());
    EXPECT_EQ(window->userAccountsInfoField->text().toStdString(), "The VPN account could not be created.");
    EXPECT_EQ(bed.interaction.beepCount(), 1);
    EXPECT_FALSE(user("bob"));
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(notifications(), "");
}

TEST_F(NewAccountSheet, TheNameFieldKeepsLowerCaseLettersMarksAndDigitsAsTypedOrPasted)
{
    open();
    QLineEdit* name = window->userNameField;
    typeInto(name, QStringLiteral("A-"));
    EXPECT_EQ(name->text(), QStringLiteral("a"));
    EXPECT_EQ(bed.interaction.beepCount(), 1);

    typeInto(name, QStringLiteral("\u00C9\U0001F600"));
    EXPECT_EQ(name->text(), QStringLiteral("a\u00E9"))
        << "outside ASCII kept, lower-cased; an emoji's two units dropped";
    EXPECT_EQ(bed.interaction.beepCount(), 3);

    // Pasted between the two letters: three marks dropped, the cursor after what was kept.
    name->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("x.Y,z!"));
    QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(name->text(), QStringLiteral("axyz\u00E9"));
    EXPECT_EQ(name->cursorPosition(), 4);
    EXPECT_EQ(bed.interaction.beepCount(), 6);

    // The password fields are not filtered.
    typeInto(window->userPasswordField, QStringLiteral("p-w"));
    EXPECT_EQ(window->userPasswordField->text(), QStringLiteral("p-w"));
    EXPECT_EQ(bed.interaction.beepCount(), 6);
}

} // namespace
} // namespace veltrona::test
