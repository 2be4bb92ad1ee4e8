// What the window resource must provide: every outlet under its own name, the connections'
// tags and items, labels and accessible names for every control, and sheets that can be left.
#include "app/AccountArrayController.h"
#include "app/AppResources.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "app/WindowController.h"
#include "tests/app/AppTestBed.h"

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QSortFilterProxyModel>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <fstream>
#include <set>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

// The outlets as WindowController.h declares them: the members of its "Outlets" block.
std::set<std::string> declaredOutlets()
{
    std::ifstream header(std::string(VELTRONA_SOURCE_DIR) + "/app/WindowController.h");
    EXPECT_TRUE(header) << "app/WindowController.h not found in " << VELTRONA_SOURCE_DIR;
    static const QRegularExpression member(QStringLiteral(R"(^\s+\w+\* (\w+) = nullptr;$)"));
    std::set<std::string> names;
    bool inBlock = false;
    for (std::string line; std::getline(header, line);) {
        if (line.find("// Outlets") != std::string::npos) {
            inBlock = true;
        } else if (inBlock) {
            const QRegularExpressionMatch match = member.match(QString::fromStdString(line));
            if (!match.hasMatch())
                break;
            names.insert(match.captured(1).toStdString());
        }
    }
    return names;
}

class WindowResource : public ::testing::Test {
protected:
    void SetUp() override { window = &bed.makeController(); }
    QList<QWidget*> allWindows() const
    {
        return {window->window(),        window->loginPanel,        window->sharedSecretPanel,
                window->setupCheckPanel, window->userAccountsPanel, window->userResetPasswordPanel,
                window->sendProfilePanel, window->connectedClientsPanel, window->backUpPanel,
                window->restorePanel};
    }

    AppTestBed bed;
    WindowController* window = nullptr;
};

TEST_F(WindowResource, EveryOutletIsFoundUnderItsOwnName)
{
    const std::pair<const char*, QObject*> outlets[] = {
        {"loginPanel", window->loginPanel},
        {"administratorField", window->administratorField},
        {"passwordField", window->passwordField},
        {"passwordInfoField", window->passwordInfoField},
        {"savePasswordInKeychain", window->savePasswordInKeychain},
        {"loginButton", window->loginButton},
        {"quitButton", window->quitButton},
        {"progressIndicator", window->progressIndicator},
        {"vpnButton", window->vpnButton},
        {"vpnLight", window->vpnLight},
        {"vpnTypeMenu", window->vpnTypeMenu},
        {"vpnHostField", window->vpnHostField},
        {"sharedSecretField", window->sharedSecretField},
        {"dnsServerAddressesField", window->dnsServerAddressesField},
        {"searchDomainsField", window->searchDomainsField},
        {"startIPAddressField", window->startIPAddressField},
        {"endIPAddressField", window->endIPAddressField},
        {"sharedSecretPanel", window->sharedSecretPanel},
        {"sharedSecretPanelField", window->sharedSecretPanelField},
        {"sharedSecretInfoField", window->sharedSecretInfoField},
        {"setupCheckPanel", window->setupCheckPanel},
        {"setupChecksTable", window->setupChecksTable},
        {"connectedClientsPanel", window->connectedClientsPanel},
        {"userAccountsController", window->userAccountsController},
        {"userAccountsTableView", window->userAccountsTableView},
        {"userAccountsPanel", window->userAccountsPanel},
        {"userAccountsInfoField", window->userAccountsInfoField},
        {"userNameField", window->userNameField},
        {"userPasswordField", window->userPasswordField},
        {"userPasswordVerifyField", window->userPasswordVerifyField},
        {"userResetPasswordPanel", window->userResetPasswordPanel},
        {"userResetPasswordInfoField", window->userResetPasswordInfoField},
        {"userResetPasswordUserNameField", window->userResetPasswordUserNameField},
        {"userResetPasswordField", window->userResetPasswordField},
        {"userResetPasswordVerifyField", window->userResetPasswordVerifyField},
        {"portForwardingInfo", window->portForwardingInfo},
        {"sendProfilePanel", window->sendProfilePanel},
        {"sendProfileIntroField", window->sendProfileIntroField},
        {"sendProfileCodeImage", window->sendProfileCodeImage},
        {"sendProfileAddressField", window->sendProfileAddressField},
        {"sendProfileTimeLeftField", window->sendProfileTimeLeftField},
        {"sendProfileInfoField", window->sendProfileInfoField},
        {"backUpPanel", window->backUpPanel},
        {"backUpFileField", window->backUpFileField},
        {"backUpPassphraseField", window->backUpPassphraseField},
        {"backUpPassphraseVerifyField", window->backUpPassphraseVerifyField},
        {"backUpInfoField", window->backUpInfoField},
        {"restorePanel", window->restorePanel},
        {"restoreFileField", window->restoreFileField},
        {"restorePassphraseField", window->restorePassphraseField},
        {"restoreSummaryLabel", window->restoreSummaryLabel},
        {"restoreSummaryField", window->restoreSummaryField},
        {"restoreInfoField", window->restoreInfoField},
        {"restoreOpenButton", window->restoreOpenButton},
        {"restoreButton", window->restoreButton},
    };
    // Every outlet the controller declares is checked here, none left out.
    std::set<std::string> listed;
    for (const auto& outlet : outlets)
        listed.insert(outlet.first);
    EXPECT_EQ(listed, declaredOutlets());
    EXPECT_EQ(listed.size(), 55U);
    std::set<QObject*> distinct;
    for (const auto& [name, outlet] : outlets) {
        ASSERT_NE(outlet, nullptr) << name;
        EXPECT_EQ(outlet->objectName(), QString::fromLatin1(name));
        distinct.insert(outlet);
        // Found from the window, as the other parts' code and tests look controls up.
        if (auto* widget = qobject_cast<QWidget*>(outlet); widget && !qobject_cast<QDialog*>(widget)) {
            EXPECT_EQ(widget->window()->findChild<QWidget*>(QString::fromLatin1(name)), widget) << name;
        }
    }
    EXPECT_EQ(distinct.size(), std::size(outlets));
    EXPECT_EQ(window->userAccountsTableView->model(),
              static_cast<QAbstractItemModel*>(window->userAccountsController->arrangedModel()));
}

TEST_F(WindowResource, ItemsTagsAndImagesTheActionsRelyOn)
{
    ASSERT_EQ(window->vpnTypeMenu->count(), 2);
    EXPECT_EQ(window->vpnTypeMenu->itemText(0), QStringLiteral("L2TP"));
    EXPECT_EQ(window->vpnTypeMenu->itemText(1), QStringLiteral("PPTP"));

    auto tag = [this](const char* name) {
        return window->window()->findChild<QAction*>(QString::fromLatin1(name))->property("tag").toInt();
    };
    EXPECT_EQ(tag("homePageAction"), 82);
    EXPECT_EQ(tag("productPageAction"), 80);

    auto* cancel = window->sharedSecretPanel->findChild<QPushButton*>(QStringLiteral("sharedSecretCancelButton"));
    auto* store = window->sharedSecretPanel->findChild<QPushButton*>(QStringLiteral("sharedSecretSaveButton"));
    EXPECT_EQ(cancel->property("tag").toInt(), 0);
    EXPECT_NE(store->property("tag").toInt(), 0);
    EXPECT_EQ(window->userAccountsPanel->findChild<QPushButton*>(QStringLiteral("userAccountsCreateButton"))->text(),
              QStringLiteral("Create"));

    for (const char* name : {"red", "green"}) {
        const QPixmap image = imageNamed(QString::fromLatin1(name));
        ASSERT_FALSE(image.isNull()) << name;
        EXPECT_GE(image.width(), 32) << "sharp on high-density screens";
    }
    EXPECT_TRUE(imageNamed(QStringLiteral("blue")).isNull());
    EXPECT_FALSE(window->vpnLight->pixmap().isNull()) << "the light starts as stopped";
    EXPECT_FALSE(infoString("CFBundleIdentifier").isEmpty());
    EXPECT_FALSE(infoString("CFBundleShortVersionString").isEmpty());
}

TEST_F(WindowResource, EveryControlHasAnAccessibleNameAndEveryFieldALabel)
{
    for (QWidget* top : allWindows()) {
        const auto labels = top->findChildren<QLabel*>();
        const auto controls = top->findChildren<QWidget*>();
        for (QWidget* control : controls) {
            const bool input = qobject_cast<QLineEdit*>(control) || qobject_cast<QComboBox*>(control);
            const bool focusable =
                input || qobject_cast<QAbstractButton*>(control) || qobject_cast<QTableView*>(control);
            // Only the form's own controls, not the parts Qt builds inside a table or a menu button.
            if (!focusable || control->objectName().isEmpty()
                || control->objectName().startsWith(QStringLiteral("qt_")))
                continue;
            EXPECT_FALSE(control->accessibleName().isEmpty()) << control->objectName().toStdString();
            if (!input)
                continue;
            const bool labelled = std::any_of(labels.begin(), labels.end(), [control](QLabel* label) {
                return label->buddy() == control && label->text().contains(QLatin1Char('&'));
            });
            EXPECT_TRUE(labelled) << control->objectName().toStdString() << " has no label with a mnemonic";
        }
    }
}

// Alt+letter must reach one control only, counting the menu titles of the main window.
TEST_F(WindowResource, MnemonicsDoNotCollide)
{
    static const QRegularExpression mnemonic(QStringLiteral("&([^&])"));
    for (QWidget* top : allWindows()) {
        QStringList texts;
        // The sheets are children of the main window but windows of their own.
        for (QLabel* label : top->findChildren<QLabel*>()) {
            if (label->window() == top)
                texts << label->text();
        }
        for (QAbstractButton* button : top->findChildren<QAbstractButton*>()) {
            if (button->window() == top)
                texts << button->text();
        }
        if (auto* main = qobject_cast<QMainWindow*>(top)) {
            for (QAction* menu : main->menuBar()->actions())
                texts << menu->text();
        }
        std::set<QChar> used;
        for (const QString& text : texts) {
            const auto match = mnemonic.match(text);
            if (!match.hasMatch())
                continue;
            const QChar letter = match.captured(1).at(0).toLower();
            EXPECT_TRUE(used.insert(letter).second)
                << top->objectName().toStdString() << ": '" << QString(letter).toStdString() << "' twice";
        }
    }
}

TEST_F(WindowResource, EverySheetHasADefaultAndACancelButtonAndIsLeftOnlyThroughThem)
{
    for (Sheet* sheet :
         {window->loginPanel, window->sharedSecretPanel, window->userAccountsPanel, window->userResetPasswordPanel}) {
        const auto buttons = sheet->findChildren<QPushButton*>();
        EXPECT_EQ(std::count_if(buttons.begin(), buttons.end(), [](QPushButton* b) { return b->isDefault(); }), 1)
            << sheet->objectName().toStdString();
        ASSERT_NE(sheet->cancelButton(), nullptr) << sheet->objectName().toStdString();
        EXPECT_FALSE(static_cast<QPushButton*>(sheet->cancelButton())->isDefault());
    }
    // The account sheets' cancel buttons close them (closeSheet:), Escape included.
    for (Sheet* sheet : {window->userAccountsPanel, window->userResetPasswordPanel}) {
        bed.interaction.beginSheet(window->window(), sheet);
        ASSERT_TRUE(sheet->isVisible());
        QTest::keyClick(sheet, Qt::Key_Escape);
        EXPECT_FALSE(sheet->isVisible()) << sheet->objectName().toStdString();
    }
}

TEST_F(WindowResource, ProfileCheckBoxesShowAndStoreTheUserDefaults)
{
    auto box = [this](Sheet* sheet, const char* name) {
        return sheet->findChild<QCheckBox*>(QString::fromLatin1(name));
    };
    QCheckBox* save = box(window->userAccountsPanel, "userAccountsSaveProfileCheckBox");
    QCheckBox* saveOnReset = box(window->userResetPasswordPanel, "userResetPasswordSaveProfileCheckBox");
    QCheckBox* sign = box(window->userAccountsPanel, "userAccountsSignProfileCheckBox");
    QCheckBox* signOnReset = box(window->userResetPasswordPanel, "userResetPasswordSignProfileCheckBox");
    for (QCheckBox* b : {save, saveOnReset, sign, signOnReset})
        ASSERT_NE(b, nullptr);

    EXPECT_FALSE(save->isChecked());
    EXPECT_FALSE(sign->isEnabled()) << "signing is off until a certificate is found";
    save->click();
    EXPECT_EQ(bed.defaults.stringForKey("saveMobileConfigFile"), "1");
    EXPECT_TRUE(saveOnReset->isChecked());
    EXPECT_EQ(UserDefaults(bed.defaults.file()).stringForKey("saveMobileConfigFile"), "1") << "written at once";

    bed.defaults.setStringForKey("signMobileConfigFileEnabled", "1");
    EXPECT_TRUE(sign->isEnabled());
    EXPECT_TRUE(signOnReset->isEnabled());
    bed.defaults.setStringForKey("signMobileConfigFile", "1");
    EXPECT_TRUE(signOnReset->isChecked());
    signOnReset->click();
    EXPECT_EQ(bed.defaults.stringForKey("signMobileConfigFile"), "0");
    EXPECT_FALSE(sign->isChecked());
}

// The main window's own minimum overrides its layout's: it must leave room for everything.
TEST_F(WindowResource, NothingIsSquashedAtTheMinimumSize)
{
    const QSize needed = window->window()->minimumSizeHint();
    const QSize minimum = window->window()->minimumSize();
    EXPECT_LE(needed.width(), minimum.width());
    EXPECT_LE(needed.height(), minimum.height());
}

} // namespace
} // namespace veltrona::test
