// What an assistive tool meets through Qt's accessibility interfaces: the start button named by
// its title, message labels that say their message, and read-only fields that take no text.
#include "app/ButtonTitle.h"
#include "app/GuardedLineEdit.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "tests/app/AppTestBed.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <filesystem>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

QString accessibleText(QObject* object, QAccessible::Text type)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(object);
    return interface ? interface->text(type) : QStringLiteral("(no interface)");
}

TEST(WindowAccessibility, TheStartButtonIsNamedByItsTitle)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    QPushButton* button = window.vpnButton;
    EXPECT_EQ(accessibleText(button, QAccessible::Name), button->text()) << "the design's title";
    EXPECT_FALSE(accessibleText(button, QAccessible::Description).isEmpty()) << "the explanation";

    bed.recorder.queueResult("YES");
    window.checkStatusLights(nullptr);
    EXPECT_EQ(accessibleText(button, QAccessible::Name), QStringLiteral("Restart VPN"));

    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &press);
    EXPECT_EQ(accessibleText(button, QAccessible::Name), QStringLiteral("Stop VPN"));
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
    QCoreApplication::sendEvent(button, &release);
    EXPECT_EQ(accessibleText(button, QAccessible::Name), QStringLiteral("Restart VPN"));

    window.checkStatusLights(nullptr); // the probe prints nothing now
    EXPECT_EQ(accessibleText(button, QAccessible::Name), QStringLiteral("Start VPN"));
}

TEST(WindowAccessibility, SheetButtonsAndCheckBoxesAreNamedByTheirTitles)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    int buttons = 0;
    for (QDialog* sheet :
         {static_cast<QDialog*>(window.sharedSecretPanel), static_cast<QDialog*>(window.userAccountsPanel),
          static_cast<QDialog*>(window.userResetPasswordPanel), static_cast<QDialog*>(window.backUpPanel),
          static_cast<QDialog*>(window.restorePanel)}) {
        for (QAbstractButton* button : sheet->findChildren<QAbstractButton*>()) {
            SCOPED_TRACE(button->objectName().toStdString());
            EXPECT_EQ(accessibleText(button, QAccessible::Name), titleWithoutAccelerators(button->text()));
            ++buttons;
        }
    }
    EXPECT_EQ(buttons, 15) << "two buttons on each sheet (three on the restore sheet), two check boxes on each "
                              "account sheet";
}

TEST(WindowAccessibility, MessageLabelsSayTheirMessage)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    const QString advice = QStringLiteral("Forward UDP port 1703 to this machine.");
    const std::pair<QLabel*, QString> labels[] = {
        {window.portForwardingInfo, advice},
        {window.passwordInfoField, QStringLiteral("Access failed : Cannot authenticate the Administrator.")},
        {window.userAccountsInfoField, QStringLiteral("The passwords do not match.")},
        {window.userResetPasswordInfoField, QStringLiteral("The password is too short.")},
        {window.backUpInfoField, QStringLiteral("The passphrases do not match.")},
        {window.restoreInfoField, QStringLiteral("The file is not a Veltrona backup.")},
        {window.restoreSummaryField, QStringLiteral("Host: vpn.example.org\nType: L2TP\nVPN accounts: 2\nMade: "
                                                    "2026-01-01 00:00:00 UTC")},
    };
    for (const auto& [label, message] : labels) {
        SCOPED_TRACE(label->objectName().toStdString());
        label->setText(message);
        EXPECT_EQ(accessibleText(label, QAccessible::Name), message);
    }

    // As the window sets it: the advice for the type of the installed files.
    window.loadVPNSettings();
    EXPECT_FALSE(window.portForwardingInfo->text().isEmpty());
    EXPECT_EQ(accessibleText(window.portForwardingInfo, QAccessible::Name), window.portForwardingInfo->text());
}

// Every road an assistive tool has to change a field's text.
void tryEveryRoad(QLineEdit* field)
{
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(field);
    ASSERT_NE(interface, nullptr);
    interface->setText(QAccessible::Value, QStringLiteral("set"));
    if (QAccessibleEditableTextInterface* editable = interface->editableTextInterface()) {
        editable->insertText(0, QStringLiteral("inserted"));
        editable->replaceText(0, 1, QStringLiteral("replaced"));
        editable->deleteText(0, 1);
    }
}

TEST(WindowAccessibility, ReadOnlyFieldsTakeNoTextThroughTheirInterface)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    for (QLineEdit* field : {window.sharedSecretField, window.userResetPasswordUserNameField}) {
        SCOPED_TRACE(field->objectName().toStdString());
        ASSERT_TRUE(field->isReadOnly());
        field->setText(QStringLiteral("kept"));
        QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(field);
        ASSERT_NE(interface, nullptr);
        EXPECT_TRUE(interface->state().readOnly);
        EXPECT_FALSE(interface->state().editable);
        EXPECT_EQ(interface->text(QAccessible::Value), QStringLiteral("kept"));
        ASSERT_NE(interface->textInterface(), nullptr) << "still readable";
        EXPECT_EQ(interface->textInterface()->text(0, interface->textInterface()->characterCount()),
                  QStringLiteral("kept"));

        tryEveryRoad(field);
        EXPECT_EQ(field->text(), QStringLiteral("kept"));
    }

    // Nor does it reach the server file: a start writes what the program put there.
    window.sharedSecretField->setText(QStringLiteral("s3cret"));
    tryEveryRoad(window.sharedSecretField);
    fs::create_directories(bed.installationDirectory());
    window.vpnButton->setText(QStringLiteral("Start VPN"));
    QTest::mouseClick(window.vpnButton, Qt::LeftButton);
    // The recording runner moves nothing: the written copy stays in the run's folder.
    std::optional<PlistValue> written;
    for (const auto& run : fs::directory_iterator(bed.paths.map("/private/tmp")))
        written = readPlistFile(run.path() / "com.apple.RemoteAccessServers.plist");
    ASSERT_TRUE(written);
    EXPECT_EQ(*valueForKey(*written, "SharedSecret"), PlistValue(PlistData{'s', '3', 'c', 'r', 'e', 't'}));
}

TEST(WindowAccessibility, AnEditableGuardedFieldTakesTextAsQtsOwnDoes)
{
    GuardedLineEdit field;
    field.setText(QStringLiteral("abc"));
    QAccessibleInterface* interface = QAccessible::queryAccessibleInterface(&field);
    ASSERT_NE(interface, nullptr);
    EXPECT_TRUE(interface->state().editable);
    interface->setText(QAccessible::Value, QStringLiteral("set"));
    EXPECT_EQ(field.text(), QStringLiteral("set"));
    interface->editableTextInterface()->insertText(3, QStringLiteral("!"));
    EXPECT_EQ(field.text(), QStringLiteral("set!"));
    interface->editableTextInterface()->replaceText(0, 1, QStringLiteral("b"));
    EXPECT_EQ(field.text(), QStringLiteral("bet!"));
    interface->editableTextInterface()->deleteText(3, 4);
    EXPECT_EQ(field.text(), QStringLiteral("bet"));

    field.setReadOnly(true);
    tryEveryRoad(&field);
    EXPECT_EQ(field.text(), QStringLiteral("bet"));
    EXPECT_TRUE(interface->state().readOnly);
}

} // namespace
} // namespace veltrona::test
