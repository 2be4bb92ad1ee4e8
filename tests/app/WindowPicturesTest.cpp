// Pictures of the window and its sheets, for a person to look at: set VELTRONA_WINDOW_PICTURES
// to a folder and they are saved there. The checks make sure the pictures show what they claim.
#include "app/AccountArrayController.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"
#include "app/WindowSnapshot.h"
#include "tests/app/AppTestBed.h"

#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

void keep(const QImage& picture, const char* name)
{
    const QByteArray folder = qgetenv("VELTRONA_WINDOW_PICTURES");
    if (!folder.isEmpty())
        picture.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name), "PNG");
}

TEST(WindowPictures, WindowAloneAndWithEachSheet)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    window.window()->resize(window.window()->minimumSize());
    window.userAccountsController->addObjects(
        {{QStringLiteral("alice"), QStringLiteral("1")}, {QStringLiteral("bob"), QStringLiteral("1")}});
    const QImage alone = snapshotOfWindow(window);
    ASSERT_FALSE(alone.isNull());
    keep(alone, "main-window.png");

    window.applicationDidFinishLaunching();
    window.passwordInfoField->setText(QStringLiteral("Access failed : Cannot authenticate the Administrator."));
    QCoreApplication::processEvents(); // the sheet lays itself out again for the message
    const QImage withLogin = snapshotOfWindow(window);
    EXPECT_EQ(withLogin.size(), alone.size());
    EXPECT_NE(withLogin, alone) << "the open sheet is drawn over the window";
    keep(window.loginPanel->grab().toImage(), "login-sheet.png");
    keep(withLogin, "main-window-with-login-sheet.png");
    bed.interaction.endSheet(window.loginPanel, 0);

    const std::pair<Sheet*, const char*> sheets[] = {{window.sharedSecretPanel, "shared-secret-sheet.png"},
                                                     {window.userAccountsPanel, "new-account-sheet.png"},
                                                     {window.userResetPasswordPanel, "reset-password-sheet.png"}};
    window.userResetPasswordUserNameField->setText(QStringLiteral("alice"));
    for (const auto& [sheet, file] : sheets) {
        bed.interaction.beginSheet(window.window(), sheet);
        const QImage picture = sheet->grab().toImage();
        EXPECT_GE(picture.width(), sheet->minimumWidth()) << file;
        keep(picture, file);
        bed.interaction.endSheet(sheet, 0);
    }
}

} // namespace
} // namespace veltrona::test
