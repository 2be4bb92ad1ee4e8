// Exporting a client profile on request through the save dialog, and the account sheets' signing
// box following whether a certificate and key can be found.
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/UserDefaults.h"
#include "tests/app/AccountWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMetaObject>
#include <QPushButton>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

class ProfileExport : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = &bed.makeController();
        window->userAccountsController->addObjects({{"alice", "1"}, {"bob", "1"}});
        window->userAccountsController->setSelectionIndex(0);
        window->vpnHostField->setText(QStringLiteral("a.b.c"));
        window->sharedSecretField->setText(QStringLiteral("s3cret"));
    }

    void exportProfile()
    {
        QTest::mouseClick(window->window()->findChild<QPushButton*>(QStringLiteral("saveMobileConfigProfileButton")),
                          Qt::LeftButton);
    }
    std::string home() const { return bed.paths.map("/Users/admin"); }

    AppTestBed bed;
    WindowController* window = nullptr;
};

TEST_F(ProfileExport, OnRequestTheDialogOpensInSavePathAndWritesTheChosenFileWithoutPassword)
{
    bed.interaction.queueSavePanelFileName(QStringLiteral("phone"));
    exportProfile();
    ASSERT_EQ(bed.interaction.savePanels().size(), 1);
    const SavePanelOptions& panel = bed.interaction.savePanels().back();
    EXPECT_EQ(panel.directory.toStdString(), home()) << "savePath \"~\": the user's home on the platform";
    EXPECT_EQ(panel.nameFieldStringValue, QStringLiteral("alice"));
    EXPECT_EQ(panel.message, QStringLiteral("Save a new .mobileconfig profile:"));
    EXPECT_EQ(panel.allowedFileType, QStringLiteral("mobileconfig"));

    const fs::path written = fs::path(home()) / "phone.mobileconfig";
    EXPECT_EQ(profilePayloadValue(written, "PPP.AuthName"), PlistValue(std::string("alice")));
    EXPECT_EQ(profilePayloadValue(written, "PPP.AuthPassword"), PlistValue(std::string()));
    EXPECT_EQ(profilePayloadValue(written, "IPSec.SharedSecret"), bytes("s3cret"));
    EXPECT_EQ(bed.defaults.stringForKey("savePath"), "/Users/admin");

    // Another folder chosen is where the next dialog opens; a cancel writes nothing and keeps it.
    fs::create_directories(fs::path(home()) / "Profiles");
    window->userAccountsController->setSelectionIndex(1);
    bed.interaction.queueSavePanelFileName(QString::fromStdString(home() + "/Profiles/bob-phone.mobileconfig"));
    exportProfile();
    EXPECT_TRUE(fs::exists(fs::path(home()) / "Profiles/bob-phone.mobileconfig"));
    EXPECT_EQ(bed.defaults.stringForKey("savePath"), "/Users/admin/Profiles");
    exportProfile(); // nothing queued: cancelled
    EXPECT_EQ(bed.interaction.savePanels().back().directory.toStdString(), home() + "/Profiles");
    EXPECT_EQ(bed.interaction.savePanels().back().nameFieldStringValue, QStringLiteral("bob"));
    EXPECT_EQ(bed.defaults.stringForKey("savePath"), "/Users/admin/Profiles");
    EXPECT_EQ(folderEntries(fs::path(home()) / "Profiles").size(), 1U);
    EXPECT_TRUE(bed.interaction.alerts().isEmpty());
    EXPECT_EQ(bed.interaction.beepCount(), 0);
}

// The real dialog: a path typed into its name field that lies in another folder than the one
// shown makes that folder the next starting place.
TEST(ProfileExportDialog, APathTypedIntoAnotherFolderIsWhereTheNextDialogStarts)
{
    AppTestBed bed(AppTestBed::Commands::Recorded, Interaction::Mode::Interactive);
    WindowController& window = bed.makeController();
    window.userAccountsController->addObjects({{"alice", "1"}});
    window.userAccountsController->setSelectionIndex(0);
    const fs::path home = bed.paths.map("/Users/admin");
    fs::create_directories(home / "Desktop");
    fs::create_directories(home / "Profiles");
    bed.defaults.setStringForKey("savePath", "/Users/admin/Desktop");

    QTest::mouseClick(window.window()->findChild<QPushButton*>(QStringLiteral("saveMobileConfigProfileButton")),
                      Qt::LeftButton);
    auto* panel = window.window()->findChild<QFileDialog*>();
    ASSERT_NE(panel, nullptr);
    ASSERT_EQ(fs::path(panel->directory().absolutePath().toStdString()), home / "Desktop");
    const QString typed = QString::fromStdString((home / "Profiles/phone.mobileconfig").string());
    // Typed, as a user does: the dialog still shows the Desktop.
    auto* nameField = panel->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameField, nullptr);
    nameField->setText(typed);
    QMetaObject::invokeMethod(panel, "accept");
    QCoreApplication::processEvents();

    EXPECT_TRUE(fs::exists(home / "Profiles/phone.mobileconfig"));
    EXPECT_EQ(bed.defaults.stringForKey("savePath"), "/Users/admin/Profiles");
}

TEST_F(ProfileExport, AProfileThatCannotBeWrittenWhereChosenIsReported)
{
    const std::string missing = bed.paths.map("/Users/admin/Gone/x.mobileconfig");
    bed.interaction.queueSavePanelFileName(QString::fromStdString(missing));
    exportProfile();
    EXPECT_FALSE(fs::exists(missing));
    ASSERT_TRUE(bed.interaction.lastAlert());
    EXPECT_EQ(bed.interaction.lastAlert()->messageText, QStringLiteral("The profile could not be saved."));
    EXPECT_FALSE(bed.interaction.lastAlert()->informativeText.isEmpty());
}

TEST_F(ProfileExport, TheSigningBoxFollowsTheCertificateAndKeyFound)
{
    QCheckBox* signBoxes[] = {
        window->userAccountsPanel->findChild<QCheckBox*>(QStringLiteral("userAccountsSignProfileCheckBox")),
        window->userResetPasswordPanel->findChild<QCheckBox*>(QStringLiteral("userResetPasswordSignProfileCheckBox"))};
    const auto put = [this](const std::string& platformPath) {
        fs::create_directories(fs::path(bed.paths.map(platformPath)).parent_path());
        writeText(bed.paths.map(platformPath), "pem");
    };
    const auto check = [&](bool usable, const char* sign) {
        window->addUser(nullptr);
        bed.interaction.endSheet(window->userAccountsPanel, 0);
        window->handleDoubleClick(nullptr);
        bed.interaction.endSheet(window->userResetPasswordPanel, 0);
        EXPECT_EQ(bed.defaults.stringForKey("signMobileConfigFileEnabled"), usable ? "1" : "0");
        EXPECT_EQ(bed.defaults.stringForKey("signMobileConfigFile"), sign);
        for (QCheckBox* box : signBoxes) {
            EXPECT_EQ(box->isEnabled(), usable) << box->objectName().toStdString();
            EXPECT_EQ(box->isChecked(), std::string(sign) == "1") << box->objectName().toStdString();
        }
    };
    bed.defaults.setStringForKey("signMobileConfigFile", "1");
    check(false, "0"); // nothing to sign with: the box is turned off
    put("/usr/local/quillfen/ssl/certs/a.b.c.crt");
    check(false, "0"); // a certificate without its key
    put("/usr/local/quillfen/ssl/private/a.b.c.key");
    check(true, "0");
    signBoxes[0]->click(); // the user turns it on
    check(true, "1");
    EXPECT_TRUE(signBoxes[1]->isChecked()) << "both sheets show the one default";

    window->vpnHostField->setText(QStringLiteral("other.host"));
    check(false, "0");
    put("/usr/local/quillfen/ssl/certs/testServer.crt");
    put("/usr/local/quillfen/ssl/private/testServer.key");
    check(true, "0");
}

} // namespace
} // namespace veltrona::test
