// "Back Up Server…" and "Restore Server…" (issue 19) driven like a user on an emulated Mac
// through the real runner: a passphrase typed twice, a backup taken, the server changed, a wrong
// passphrase refused in the sheet, then what the file holds shown and restored.
#include "accounts/AccountActions.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/app/AccountWindow.h"
#include "tests/app/KeptPicture.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>

#include <sys/stat.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

class BackupSheets : public AccountWindow {
protected:
    void SetUp() override
    {
        AccountWindow::SetUp();
        window->doSanityCheck();
        storeSecret("Sesame42");
        ASSERT_EQ(createVPNAccount(window->runner(), bed.paths, "alice", "correct horse"), std::nullopt);
    }

    void trigger(const char* action) { window->window()->findChild<QAction*>(QString::fromLatin1(action))->trigger(); }
    void click(Sheet* sheet, const char* button)
    {
        QTest::mouseClick(sheet->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
    }
    void storeSecret(const char* secret)
    {
        QTest::mouseClick(window->window()->findChild<QPushButton*>(QStringLiteral("showSharedSecretPanelButton")),
                          Qt::LeftButton);
        window->sharedSecretPanelField->setText(QString::fromLatin1(secret));
        click(window->sharedSecretPanel, "sharedSecretSaveButton");
    }
    void retype(QLineEdit* field, const char* text)
    {
        field->clear();
        typeInto(field, QString::fromLatin1(text));
    }

    TempDir place;
};

TEST_F(BackupSheets, BackUpWithTheSamePassphraseTwiceThenRestoreWhatTheFileHolds)
{
    const fs::path file = place.path() / "office.backup";
    // Escape leaves the sheet and writes nothing.
    bed.interaction.queueSavePanelFileName(QString::fromStdString(file.string()));
    trigger("backUpServerAction");
    ASSERT_TRUE(window->backUpPanel->isVisible());
    EXPECT_EQ(window->backUpFileField->text().toStdString(), file.string());
    EXPECT_EQ(window->backUpPanel->focusWidget(), window->backUpPassphraseField);
    QTest::keyClick(window->backUpPassphraseField, Qt::Key_Escape);
    EXPECT_FALSE(window->backUpPanel->isVisible());
    EXPECT_FALSE(fs::exists(file));

    bed.interaction.queueSavePanelFileName(QString::fromStdString(file.string()));
    trigger("backUpServerAction");
    typeInto(window->backUpPassphraseField, QStringLiteral("blue door"));
    typeInto(window->backUpPassphraseVerifyField, QStringLiteral("blue dour"));
    click(window->backUpPanel, "backUpSaveButton");
    EXPECT_TRUE(window->backUpPanel->isVisible());
    EXPECT_EQ(window->backUpInfoField->text(), QStringLiteral("The passphrases do not match."));
    EXPECT_EQ(bed.interaction.beepCount(), 1);
    EXPECT_FALSE(fs::exists(file));
    QCoreApplication::processEvents(); // the sheet lays itself out again for the message
    keep(window->backUpPanel->grab().toImage(), "back-up-sheet.png");

    retype(window->backUpPassphraseVerifyField, "blue door");
    QTest::keyClick(window->backUpPassphraseVerifyField, Qt::Key_Return); // the default button
    EXPECT_FALSE(window->backUpPanel->isVisible());
    ASSERT_TRUE(bed.interaction.lastAlert());
    EXPECT_EQ(bed.interaction.lastAlert()->messageText, QStringLiteral("The server is backed up."));
    EXPECT_EQ(bed.interaction.lastAlert()->informativeText.toStdString(),
              file.string()
                  + " holds the server files, the shared secret and 1 VPN account. Keep the passphrase: without it "
                    "the file cannot be restored.");
    struct stat info { };
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600U);
    EXPECT_TRUE(window->backUpPassphraseField->text().isEmpty()) << "no passphrase outlives the sheet";

    // A mistake: the account gone, the secret changed.
    ASSERT_TRUE(Directory(bed.platform.root()).remove(RecordType::Users, "alice").ok());
    storeSecret("Other99");

    bed.interaction.queueOpenPanelFileName(QString::fromStdString(file.string()));
    trigger("restoreServerAction");
    ASSERT_TRUE(window->restorePanel->isVisible());
    EXPECT_FALSE(window->restoreButton->isVisible());
    typeInto(window->restorePassphraseField, QStringLiteral("blue dour"));
    click(window->restorePanel, "restoreOpenButton");
    EXPECT_EQ(window->restoreInfoField->text(), QStringLiteral("The passphrase is wrong or the backup file is "
                                                               "damaged (the encryption cannot tell these apart)."));
    EXPECT_FALSE(window->restoreButton->isVisible());
    EXPECT_FALSE(window->restoreSummaryField->isVisible());

    retype(window->restorePassphraseField, "blue door");
    QTest::keyClick(window->restorePassphraseField, Qt::Key_Return);
    ASSERT_TRUE(window->restoreSummaryField->isVisible());
    EXPECT_TRUE(
        window->restoreSummaryField->text().startsWith(QStringLiteral("Host: \nType: L2TP\nVPN accounts: 1\nMade: ")))
        << window->restoreSummaryField->text().toStdString();
    EXPECT_TRUE(window->restoreButton->isVisible());
    EXPECT_TRUE(window->restoreButton->isDefault());
    EXPECT_FALSE(window->restoreOpenButton->isVisible());
    EXPECT_FALSE(user("alice").has_value()) << "nothing is restored before the second click";
    QCoreApplication::processEvents();
    keep(window->restorePanel->grab().toImage(), "restore-sheet.png");

    click(window->restorePanel, "restoreButton");
    EXPECT_FALSE(window->restorePanel->isVisible());
    ASSERT_TRUE(bed.interaction.lastAlert());
    EXPECT_EQ(bed.interaction.lastAlert()->messageText, QStringLiteral("The server is restored."));
    EXPECT_EQ(bed.interaction.lastAlert()->informativeText,
              QStringLiteral("The server is restored with the VPN accounts alice."));
    ASSERT_TRUE(user("alice").has_value());
    EXPECT_TRUE(userPasswordMatches(*user("alice"), "correct horse"));
    EXPECT_EQ(listed(), std::vector<std::string>{"alice"});
    EXPECT_EQ(window->sharedSecretField->text(), QStringLiteral("Sesame42"));
}

} // namespace
} // namespace veltrona::test
