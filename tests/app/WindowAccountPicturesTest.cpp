// Pictures of the account sheets, the shared-secret sheet, the save dialog and the deletion alerts,
// for a person to look at: set VELTRONA_WINDOW_PICTURES to a folder and they are saved there. The
// checks make sure each picture shows the state it claims.
#include "accounts/AccountActions.h"
#include "accounts/AccountEntry.h"
#include "app/Alert.h"
#include "app/AlertDialog.h"
#include "app/AlertFromText.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "app/WindowSnapshot.h"
#include "tests/app/AccountWindow.h"
#include "tests/app/KeptPicture.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

namespace veltrona::test {
namespace {

QImage pictureOf(QWidget* widget)
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    return widget->grab().toImage();
}

TEST(WindowAccountPictures, AccountSheetsWithTheirCheckBoxes)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    window.userAccountsController->addObjects({{"alice", "1"}});
    window.userAccountsController->setSelectionIndex(0);
    auto* signBox = window.userAccountsPanel->findChild<QCheckBox*>(QStringLiteral("userAccountsSignProfileCheckBox"));
    auto* saveBox = window.userAccountsPanel->findChild<QCheckBox*>(QStringLiteral("userAccountsSaveProfileCheckBox"));
    ASSERT_TRUE(signBox && saveBox);

    bed.defaults.setStringForKey("saveMobileConfigFile", "1");
    window.addUser(nullptr);
    ASSERT_FALSE(signBox->isEnabled()) << "no certificate: the sign box is greyed";
    EXPECT_TRUE(saveBox->isChecked());
    keep(pictureOf(window.userAccountsPanel), "new-account-sheet-sign-disabled.png");
    bed.interaction.endSheet(window.userAccountsPanel, 0);

    const std::string certs = bed.paths.map("/usr/local/quillfen/ssl/certs");
    const std::string keys = bed.paths.map("/usr/local/quillfen/ssl/private");
    std::filesystem::create_directories(certs);
    std::filesystem::create_directories(keys);
    writeText(certs + "/testServer.crt", "pem");
    writeText(keys + "/testServer.key", "pem");
    bed.defaults.setStringForKey("signMobileConfigFile", "1");
    window.addUser(nullptr);
    ASSERT_TRUE(signBox->isEnabled());
    EXPECT_TRUE(signBox->isChecked());
    window.userNameField->setText(QStringLiteral("bob"));
    window.userPasswordField->setText(QStringLiteral("pw"));
    window.userPasswordVerifyField->setText(QStringLiteral("wp"));
    window.saveUser(window.userAccountsPanel->findChild<QPushButton*>(QStringLiteral("userAccountsCreateButton")));
    ASSERT_EQ(window.userAccountsInfoField->text().toStdString(), kPasswordsDoNotMatchMessage);
    keep(pictureOf(window.userAccountsPanel), "new-account-sheet-sign-enabled-failed.png");
    keep(snapshotOfWindow(window), "main-window-with-new-account-sheet.png");
    // The longest message, refused before anything runs.
    window.userNameField->setText(QStringLiteral("Bob"));
    window.userPasswordVerifyField->setText(QStringLiteral("pw"));
    window.saveUser(window.userAccountsPanel->findChild<QPushButton*>(QStringLiteral("userAccountsCreateButton")));
    ASSERT_EQ(window.userAccountsInfoField->text().toStdString(), kAccountNameFilteredMessage);
    keep(pictureOf(window.userAccountsPanel), "new-account-sheet-name-refused.png");
    bed.interaction.endSheet(window.userAccountsPanel, 0);

    window.handleDoubleClick(nullptr);
    window.userResetPasswordField->setText(QStringLiteral("new"));
    window.saveNewPassword(
        window.userResetPasswordPanel->findChild<QPushButton*>(QStringLiteral("userResetPasswordSaveButton")));
    ASSERT_EQ(window.userResetPasswordInfoField->text().toStdString(), kPasswordFieldsEmptyMessage);
    ASSERT_TRUE(window.userResetPasswordPanel->isVisible());
    keep(pictureOf(window.userResetPasswordPanel), "reset-password-sheet-failed.png");
    bed.interaction.endSheet(window.userResetPasswordPanel, 0);

    window.sharedSecretField->setText(QStringLiteral("s3cret"));
    window.showSharedSecretPanel(nullptr);
    ASSERT_TRUE(window.sharedSecretPanel->isVisible());
    keep(pictureOf(window.sharedSecretPanel), "shared-secret-sheet-filled.png");
    bed.interaction.endSheet(window.sharedSecretPanel, 0);
}

TEST(WindowAccountPictures, TheSaveDialogIsQtsOwnAsASheet)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    const SavePanelOptions options{QString::fromStdString(bed.paths.map("/Users/admin")), QStringLiteral("alice"),
                                   QStringLiteral("Save a new .mobileconfig profile:"), QStringLiteral("mobileconfig")};
    std::unique_ptr<QFileDialog> panel(Interaction::makeSavePanel(window.window(), options));
    EXPECT_TRUE(panel->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_EQ(panel->windowModality(), Qt::WindowModal);
    EXPECT_EQ(panel->parentWidget(), window.window());
    EXPECT_EQ(panel->acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(panel->defaultSuffix(), QStringLiteral("mobileconfig"));
    EXPECT_EQ(panel->directory().absolutePath().toStdString(), bed.paths.map("/Users/admin"));
    panel->open();
    QCoreApplication::processEvents();
    EXPECT_EQ(panel->selectedFiles().value(0).toStdString(), bed.paths.map("/Users/admin/alice.mobileconfig"))
        << "the dialog adds the extension";
    keep(pictureOf(panel.get()), "save-profile-dialog.png");
    panel->reject();

    // A name typed without the extension gets it, in the dialog's folder.
    EXPECT_EQ(Interaction::savePanelChoice(options, QStringLiteral("phone")).toStdString(),
              bed.paths.map("/Users/admin/phone.mobileconfig"));
    EXPECT_EQ(Interaction::savePanelChoice(options, QStringLiteral("/srv/x.plist")), QStringLiteral("/srv/x.plist"));
}

TEST(WindowAccountPictures, DeletionAlerts)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    const std::pair<AlertText, const char*> alerts[] = {
        {administratorRefusalAlert("admin"), "delete-admin-refused-alert.png"},
        {deletionConfirmationAlert("alice"), "delete-confirmation-alert.png"},
        {deletionDoneAlert("alice"), "delete-done-alert.png"},
        {deletionFailedAlert("alice"), "delete-failed-alert.png"},
    };
    for (const auto& [text, file] : alerts) {
        // As the window shows it: an alert with no button added gets the one "OK".
        const Alert alert = alertFromText(bed.interaction, text);
        AlertDialog dialog(QString::fromStdString(text.messageText), QString::fromStdString(text.informativeText),
                           alert.buttonTitles(), window.window());
        dialog.show();
        const QImage picture = pictureOf(&dialog);
        EXPECT_FALSE(picture.isNull()) << file;
        const auto labels = dialog.findChildren<QLabel*>();
        EXPECT_TRUE(std::any_of(labels.begin(), labels.end(), [&text](const QLabel* label) {
            return label->text().toStdString() == text.messageText;
        })) << file;
        keep(picture, file);
    }
}

} // namespace
} // namespace veltrona::test
