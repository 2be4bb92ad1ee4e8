// Pictures of the window and its sheets, for a person to look at: set VELTRONA_WINDOW_PICTURES
// to a folder and they are saved there. The checks make sure the pictures show what they claim.
#include "app/AccountArrayController.h"
#include "app/AlertDialog.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"
#include "app/WindowSnapshot.h"
#include "services/WebSite.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/KeptPicture.h"
#include "tests/app/ScopedEnvironment.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace veltrona::test {
namespace {

// What a picture of `top` would cut off: a shown control reaching past its edge or squeezed below
// the size its content needs. Empty when everything can be seen whole.
std::vector<std::string> cutOff(QWidget* top)
{
    std::vector<std::string> problems;
    const QRect frame = top->rect();
    for (QWidget* child : top->findChildren<QWidget*>()) {
        if (!child->isVisibleTo(top) || child->isWindow())
            continue;
        const QString name =
            child->objectName().isEmpty() ? QString::fromLatin1(child->metaObject()->className()) : child->objectName();
        const QRect placed(child->mapTo(top, QPoint(0, 0)), child->size());
        if (!frame.contains(placed))
            problems.push_back(name.toStdString() + " reaches past the edge");
        const QSize needed = child->minimumSizeHint();
        if (needed.isValid() && (child->width() < needed.width() || child->height() < needed.height()))
            problems.push_back(name.toStdString() + " is squeezed");
    }
    return problems;
}

TEST(WindowPictures, WindowAloneAndWithEachSheet)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    window.window()->resize(window.window()->minimumSize());
    window.userAccountsController->addObjects({{"alice", "1"}, {"bob", "1"}});
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
    window.sharedSecretInfoField->setText(QStringLiteral("The shared secret could not be stored."));
    for (const auto& [sheet, file] : sheets) {
        bed.interaction.beginSheet(window.window(), sheet);
        const QImage picture = sheet->grab().toImage();
        EXPECT_EQ(cutOff(sheet), std::vector<std::string>{}) << file;
        keep(picture, file);
        bed.interaction.endSheet(sheet, 0);
    }
}

// The alerts of closing, the update check, the web site address and de-installation, drawn as
// the dialog draws them from what the window asked for.
TEST(WindowPictures, AlertsOfClosingUpdatesAndDeInstallation)
{
    struct Shot {
        const char* file;
        const char* site;    // VELTRONA_WEB_SITE
        const char* item;    // the menu item that shows the alert
        const char* fetched; // what the update check's fetch answers
    };
    const Shot shots[] = {
        {"alert-close.png", "http://127.0.0.1:8080", "closeWindowAction", ""},
        {"alert-no-newer-version.png", "http://127.0.0.1:8080", "checkForUpdatesAction", "1.0.0"},
        {"alert-update-available.png", "http://127.0.0.1:8080", "checkForUpdatesAction", "1.2.0"},
        {"alert-site-unreachable.png", "http://127.0.0.1:8080", "checkForUpdatesAction", ""},
        {"alert-site-address-invalid.png", "ftp://127.0.0.1", "checkForUpdatesAction", ""},
        {"alert-de-install.png", "http://127.0.0.1:8080", "deInstallAction", ""},
    };
    for (const Shot& shot : shots) {
        SCOPED_TRACE(shot.file);
        const ScopedEnvironment site(kWebSiteVariable, shot.site);
        AppTestBed bed;
        bed.recorder.queueResult(shot.fetched);
        bed.interaction.queueAlertAnswer(1001);
        WindowController& window = bed.makeController();
        window.window()->findChild<QAction*>(QString::fromLatin1(shot.item))->trigger();
        ASSERT_EQ(bed.interaction.alerts().size(), 1);
        const AlertRecord shown = bed.interaction.alerts().front();

        AlertDialog dialog(shown.messageText, shown.informativeText, shown.buttons, window.window());
        dialog.adjustSize();
        const QImage picture = dialog.grab().toImage();
        ASSERT_FALSE(picture.isNull());
        EXPECT_EQ(cutOff(&dialog), std::vector<std::string>{});
        EXPECT_EQ(dialog.findChildren<QPushButton*>().size(), shown.buttons.size());
        keep(picture, shot.file);
    }
}

} // namespace
} // namespace veltrona::test
