// The window's server controls against a recording runner: the fields and the menu filled from
// installed files, the commands each title runs, the Option key's routes, and the port light.
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/WindowServerShown.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <algorithm>
#include <fstream>
#include <functional>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

// The installed files as the window shows them, with the menu left as it was when they name no type.
TEST(WindowServerLoad, FieldsAndMenuFollowTheInstalledFiles)
{
    const char* const server = R"(<plist version="1.0"><dict>
        <key>VPNHost</key><string>host.example</string><key>SharedSecret</key><data>cHc=</data>
        <key>Servers</key><dict><key>com</key><dict><key>apple</key><dict><key>ppp</key><dict>
        <key>L2TP</key><dict><key>DNS</key><dict><key>OfferedServerAddresses</key><array><string>10.9.9.9</string></array>
            <key>OfferedSearchDomains</key><array><string>l2tp.lan</string></array></dict>
            <key>IPv4</key><dict><key>DestAddressRanges</key><array><string>10.9.0.1</string><string>10.9.0.9</string></array></dict></dict>
        <key>PPTP</key><dict><key>DNS</key><dict><key>OfferedServerAddresses</key><array><string>10.8.8.8</string></array>
            <key>OfferedSearchDomains</key><array><string>pptp.lan</string></array></dict>
            <key>IPv4</key><dict><key>DestAddressRanges</key><array><string>10.8.0.1</string><string>10.8.0.9</string></array></dict></dict>
        </dict></dict></dict></dict></dict></plist>)";
    enum class ServerFile { Good, Missing, Malformed };
    struct Case {
        const char* what;
        const char* jobArgument; // nullptr: no job file; "": no program arguments at all
        ServerFile serverFile;
        const char* menuBefore;
        const char* menuAfter;
        const char* dns; // what dnsServerAddressesField shows; the host follows the server file
        bool l2tpAdvice;
    };
    const Case cases[] = {
        {"L2TP job", "com.apple.ppp.L2TP", ServerFile::Good, "PPTP", "L2TP", "10.9.9.9", true},
        {"PPTP job", "com.apple.ppp.PPTP", ServerFile::Good, "L2TP", "PPTP", "10.8.8.8", false},
        {"argument without a dot", "PPTP", ServerFile::Good, "L2TP", "PPTP", "10.8.8.8", false},
        {"no job file", nullptr, ServerFile::Good, "PPTP", "PPTP", "", false},
        {"no job file, L2TP chosen", nullptr, ServerFile::Good, "L2TP", "L2TP", "", false},
        {"no program arguments", "", ServerFile::Good, "L2TP", "L2TP", "", false},
        {"a type the menu lacks", "com.apple.ppp.IPSEC", ServerFile::Good, "L2TP", "L2TP", "", false},
        {"no server file", "com.apple.ppp.L2TP", ServerFile::Missing, "PPTP", "L2TP", "", true},
        {"malformed server file", "com.apple.ppp.PPTP", ServerFile::Malformed, "L2TP", "PPTP", "", false},
    };
    AppTestBed bed;
    WindowController& window = bed.makeController();
    const fs::path folder = bed.installationDirectory();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder);
        fs::create_directories(folder);
        if (c.jobArgument) {
            const std::string arguments =
                *c.jobArgument ? "<string>/usr/sbin/vpnd</string><string>" + std::string(c.jobArgument) + "</string>"
                               : "";
            std::ofstream(folder / "com.brantholm.vpn.plist")
                << "<plist version=\"1.0\"><dict><key>ProgramArguments</key><array>" << arguments
                << "</array></dict></plist>";
        }
        if (c.serverFile != ServerFile::Missing) {
            std::ofstream(folder / "com.apple.RemoteAccessServers.plist")
                << (c.serverFile == ServerFile::Good ? server : "<plist><dict><key>VPNHost</key>");
        }
        window.vpnTypeMenu->setCurrentIndex(window.vpnTypeMenu->findText(QString::fromLatin1(c.menuBefore)));
        for (QLineEdit* field : {window.vpnHostField, window.sharedSecretField, window.dnsServerAddressesField,
                                 window.searchDomainsField, window.startIPAddressField, window.endIPAddressField})
            field->setText(u"stale"_s);

        window.loadVPNSettings();

        const bool good = c.serverFile == ServerFile::Good;
        EXPECT_EQ(window.vpnTypeMenu->currentText(), QString::fromLatin1(c.menuAfter));
        EXPECT_EQ(window.vpnHostField->text(), good ? u"host.example"_s : QString());
        EXPECT_EQ(window.sharedSecretField->text(), good ? u"pw"_s : QString());
        EXPECT_EQ(window.dnsServerAddressesField->text(), QString::fromLatin1(c.dns));
        EXPECT_EQ(window.portForwardingInfo->text(), c.l2tpAdvice ? kL2TPAdvice : kPPTPAdvice);
        if (!good) {
            EXPECT_TRUE(window.endIPAddressField->text().isEmpty());
        }
    }
    EXPECT_TRUE(bed.recorder.runs().empty()) << "reading needs no root";
}

TEST(WindowServerCommands, EachTitleRunsItsStepsWhileTheIndicatorShows)
{
    const std::string moveServer = "move com.apple.RemoteAccessServers.plist";
    const std::string moveJob = "move com.brantholm.vpn.plist";
    struct Case {
        const char* title;
        bool installed;
        std::vector<std::string> runs;
    };
    // Each unload and load is followed by the job probe, which tells whether it took (issue 17);
    // the last probe is the refresh. A start first runs the setup checks (issue 18), which read only.
    const std::vector<std::string> checks{"check accounts", "check ports", "check serving here"};
    const auto afterChecks = [&checks](std::vector<std::string> steps) {
        steps.insert(steps.begin(), checks.begin(), checks.end());
        return steps;
    };
    const Case cases[] = {
        {"Start VPN", false, afterChecks({"install", moveServer, moveJob, "load", "probe", "probe"})},
        {"Start VPN", true, afterChecks({moveServer, moveJob, "load", "probe", "probe"})},
        {"Restart VPN", true, {"unload", "probe", moveServer, moveJob, "load", "probe", "probe"}},
        {"Stop VPN", true, {"unload", "probe", "probe"}},
        {"Pause VPN", true, {"probe"}},
    };
    AppTestBed bed;
    WindowController& window = bed.makeController();
    std::vector<bool> indicatorShown;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.title) + (c.installed ? "" : ", not installed"));
        fs::remove_all(bed.installationDirectory());
        if (c.installed)
            fs::create_directories(bed.installationDirectory());
        bed.recorder.clear();
        indicatorShown.clear();
        bed.recorder.setHandler([&](const RecordingRunner::Arguments&) -> std::optional<std::string> {
            indicatorShown.push_back(window.progressIndicator->isVisible());
            return std::nullopt;
        });
        window.vpnButton->setText(QString::fromLatin1(c.title));

        QTest::mouseClick(window.vpnButton, Qt::LeftButton);

        std::vector<std::string> kinds;
        for (const auto& run : bed.recorder.runs())
            kinds.push_back(kindOfRun(run));
        EXPECT_EQ(kinds, c.runs);
        EXPECT_EQ(std::count(indicatorShown.begin(), indicatorShown.end(), true),
                  static_cast<std::ptrdiff_t>(c.runs.size()));
        EXPECT_FALSE(window.progressIndicator->isVisible());
        EXPECT_EQ(shownBy(window), kStopped) << "the probe printed nothing";
    }
}

TEST(WindowServerCommands, AnEditInProgressEndsBeforeTheSettingsAreRead)
{
    AppTestBed bed;
    WindowController& window = bed.makeController();
    window.window()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.window()));
    window.vpnHostField->setFocus();
    QTest::keyClicks(window.vpnHostField, u"vpn.example.org"_s);
    QSignalSpy finished(window.vpnHostField, &QLineEdit::editingFinished);

    window.VPN(window.vpnButton); // as a keyboard shortcut would, without moving the focus first

    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(window.vpnHostField->hasFocus());
}

// Which key events reach flagsChanged, and what they do to the title; the tool tip and light stay.
TEST(WindowServerOption, ModifierChangesOfTheWindowTurnRestartIntoStop)
{
    using Act = std::function<void(WindowController&)>;
    using Target = QWidget* (*)(WindowController&);
    // Sent as they are: QTest would press the held modifiers first, itself a change of the flags.
    const auto press = [](Target target, Qt::Key key, Qt::KeyboardModifiers held = {}) {
        return Act([=](WindowController& w) {
            QKeyEvent event(QEvent::KeyPress, key, held);
            QCoreApplication::sendEvent(target(w), &event);
        });
    };
    struct Case {
        const char* what;
        Act act;
        const char* before;
        const char* after;
    };
    const Target button = [](WindowController& w) -> QWidget* { return w.vpnButton; };
    const Target host = [](WindowController& w) -> QWidget* { return w.vpnHostField; };
    const Target table = [](WindowController& w) -> QWidget* { return w.userAccountsTableView; };
    const Target sheetField = [](WindowController& w) -> QWidget* { return w.sharedSecretPanelField; };
    const Case cases[] = {
        {"Alt on the button", press(button, Qt::Key_Alt), "Restart VPN", "Stop VPN"},
        {"Alt in a settings field", press(host, Qt::Key_Alt), "Restart VPN", "Stop VPN"},
        {"Alt in the account table", press(table, Qt::Key_Alt), "Restart VPN", "Stop VPN"},
        {"Alt in a sheet", press(sheetField, Qt::Key_Alt), "Restart VPN", "Restart VPN"},
        {"Alt while stopped", press(button, Qt::Key_Alt), "Start VPN", "Start VPN"},
        {"Shift with Alt held", press(button, Qt::Key_Shift, Qt::AltModifier), "Restart VPN", "Stop VPN"},
        {"Shift alone", press(button, Qt::Key_Shift), "Stop VPN", "Restart VPN"},
        {"a letter with Alt held", press(host, Qt::Key_Z, Qt::AltModifier), "Restart VPN", "Restart VPN"},
        {"Alt released", Act([](WindowController& w) {
             QKeyEvent event(QEvent::KeyRelease, Qt::Key_Alt, Qt::AltModifier);
             QCoreApplication::sendEvent(w.vpnButton, &event);
         }),
         "Stop VPN", "Restart VPN"},
        {"Alt held, Shift released", Act([](WindowController& w) {
             QKeyEvent event(QEvent::KeyRelease, Qt::Key_Shift, Qt::AltModifier | Qt::ShiftModifier);
             QCoreApplication::sendEvent(w.vpnButton, &event);
         }),
         "Restart VPN", "Stop VPN"},
        {"the window loses the keyboard", Act([](WindowController& w) {
             QEvent deactivate(QEvent::WindowDeactivate);
             QCoreApplication::sendEvent(w.window(), &deactivate);
         }),
         "Stop VPN", "Restart VPN"},
    };
    AppTestBed bed;
    WindowController& window = bed.makeController();
    bed.recorder.queueResult("YES");
    window.checkStatusLights(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.vpnButton->setText(QString::fromLatin1(c.before));
        c.act(window);
        EXPECT_EQ(window.vpnButton->text(), QString::fromLatin1(c.after));
        EXPECT_EQ(window.vpnButton->toolTip(), kRunning.toolTip);
        EXPECT_EQ(lightOf(window.vpnLight), kRunning.light);
    }
}

TEST(WindowServerPorts, LightShowsWhetherALoopbackPortListens)
{
    const auto boundSocket = [](int& port) {
        const int socket = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        EXPECT_EQ(::bind(socket, reinterpret_cast<sockaddr*>(&address), length), 0);
        EXPECT_EQ(::getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length), 0);
        port = ntohs(address.sin_port);
        return socket;
    };
    int open = 0;
    int closed = 0;
    const int listener = boundSocket(open);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::close(boundSocket(closed)); // bound once, now nobody listens there

    AppTestBed bed;
    WindowController& window = bed.makeController();
    struct Case {
        const char* what;
        int port;
        bool open;
        const char* light;
    };
    const Case cases[] = {{"listening", open, true, "green"},
                          {"wider than 16 bits", open + 0x10000, true, "green"},
                          {"nobody listens", closed, false, "red"}};
    for (const Case& c : cases) {
        QLabel light;
        EXPECT_EQ(window.checkIfLightIsOn(&light, c.port), c.open) << c.what;
        EXPECT_EQ(lightOf(&light), QString::fromLatin1(c.light)) << c.what;
    }
    ::close(listener);
    EXPECT_TRUE(bed.log.lines.empty());
}

} // namespace
} // namespace veltrona::test
