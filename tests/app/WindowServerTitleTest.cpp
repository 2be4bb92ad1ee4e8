// The start button's title against what platforms do to it: accelerator marks a theme puts into
// the text, and Alt let go where the window does not hear it (an open menu).
#include "app/ButtonTitle.h"
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/WindowServerShown.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

TEST(ButtonTitle, AcceleratorMarksAreTakenOut)
{
    const std::pair<const char*, const char*> cases[] = {
        {"Start VPN", "Start VPN"},
        {"&Start VPN", "Start VPN"},
        {"Re&start VPN", "Restart VPN"},
        {"Stop VPN&", "Stop VPN"},
        {"A && B", "A & B"},
        {"&&&x", "&x"},
        {"", ""},
        {"&", ""},
    };
    for (const auto& [text, title] : cases)
        EXPECT_EQ(titleWithoutAccelerators(QString::fromLatin1(text)), QString::fromLatin1(title)) << text;
}

TEST(WindowServerTitle, AThemesAcceleratorMarksStillStartRestartAndStop)
{
    const std::string moveServer = "move com.apple.RemoteAccessServers.plist";
    const std::string moveJob = "move com.brantholm.vpn.plist";
    struct Case {
        const char* text; // as a theme that adds accelerators leaves it
        std::vector<std::string> runs;
    };
    const Case cases[] = {
        // A start first runs the setup checks (issue 18), which read only.
        {"&Start VPN",
         {"check accounts", "check ports", "check serving here", "install", moveServer, moveJob, "load", "probe",
          "probe"}},
        {"Re&start VPN", {"unload", "probe", moveServer, moveJob, "load", "probe", "probe"}},
        {"S&top VPN", {"unload", "probe", "probe"}},
        {"Start VPN&&", {"probe"}}, // a literal "&": another title, which only refreshes
    };
    AppTestBed bed;
    WindowController& window = bed.makeController();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        fs::remove_all(bed.installationDirectory());
        bed.recorder.clear();
        window.vpnButton->setText(QString::fromLatin1(c.text));

        QTest::mouseClick(window.vpnButton, Qt::LeftButton);

        std::vector<std::string> kinds;
        for (const auto& run : bed.recorder.runs())
            kinds.push_back(kindOfRun(run));
        EXPECT_EQ(kinds, c.runs);
    }
}

TEST(WindowServerTitle, OptionTurnsAMarkedRestartIntoStop)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    window.vpnButton->setText(QStringLiteral("Re&start VPN"));
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier);
    QCoreApplication::sendEvent(window.vpnButton, &press);
    EXPECT_EQ(window.vpnButton->text(), QStringLiteral("Stop VPN"));
}

TEST(WindowServerTitle, AltLetGoOutsideTheWindowEndsStopButNeverBeginsIt)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    bed.recorder.queueResult("YES");
    window.checkStatusLights(nullptr);
    ASSERT_EQ(shownBy(window), kRunning);
    QMenu* menu = window.window()->findChild<QMenu*>(QStringLiteral("serverMenu"));
    ASSERT_NE(menu, nullptr);
    QWidget elsewhere; // a widget of the application that is not the window's

    const auto send = [](QWidget* target, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers held) {
        return std::function<void()>([=] {
            QKeyEvent event(type, key, held);
            QCoreApplication::sendEvent(target, &event);
        });
    };
    struct Case {
        const char* what;
        std::function<void()> act;
        const char* before;
        const char* after;
    };
    const Case cases[] = {
        {"Alt released into a menu", send(menu, QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier), "Stop VPN",
         "Restart VPN"},
        {"Alt released into another widget", send(&elsewhere, QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier),
         "Stop VPN", "Restart VPN"},
        {"Shift released into a menu, Alt still held",
         send(menu, QEvent::KeyRelease, Qt::Key_Shift, Qt::AltModifier | Qt::ShiftModifier), "Restart VPN",
         "Restart VPN"},
        {"Alt pressed in a menu", send(menu, QEvent::KeyPress, Qt::Key_Alt, Qt::NoModifier), "Restart VPN",
         "Restart VPN"},
        {"the menu closes",
         [menu] {
             menu->popup(QPoint(0, 0));
             menu->hide();
         },
         "Stop VPN", "Restart VPN"},
        {"a menu's aboutToHide", [menu] { Q_EMIT menu->aboutToHide(); }, "Stop VPN", "Restart VPN"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.vpnButton->setText(QString::fromLatin1(c.before));
        c.act();
        EXPECT_EQ(window.vpnButton->text(), QString::fromLatin1(c.after));
        EXPECT_EQ(window.vpnButton->toolTip(), kRunning.toolTip);
    }
}

} // namespace
} // namespace veltrona::test
