// Starting, restarting and stopping the server from the window, the status it shows, the Option
// key, and the settings fields written into the installed files and read back.
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "platform/emulated/LaunchdState.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/WindowServerShown.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <algorithm>
#include <ostream>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using namespace Qt::StringLiterals;

void option(QWidget* target, bool down)
{
    if (down)
        QTest::keyPress(target, Qt::Key_Alt);
    else
        QTest::keyRelease(target, Qt::Key_Alt, Qt::AltModifier);
}

// Types as the keyboard does, one character at a time; QTest's own helper knows ASCII only.
void typeInto(QLineEdit* field, const QString& text)
{
    for (const char32_t codePoint : text.toUcs4())
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString::fromUcs4(&codePoint, 1), Qt::NoModifier);
}

// The window as the user sees it, kept as a PNG file when VELTRONA_WINDOW_PICTURES names a folder.
QImage picture(const WindowController& window, const char* name)
{
    // The event loop would lay the window out again after the texts changed; let it.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    const QImage image = window.window()->grab().toImage();
    const QByteArray folder = qgetenv("VELTRONA_WINDOW_PICTURES");
    if (!folder.isEmpty())
        image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QLatin1String(name), "PNG");
    return image;
}

// The window after a successful login, commands run as root on the emulated Mac.
class WindowServer : public ::testing::Test {
protected:
    void SetUp() override { window = &bed.makeLoggedInController(); }

    void click() { QTest::mouseClick(window->vpnButton, Qt::LeftButton); }

    bool jobLoaded() const
    {
        const auto jobs = LaunchdState(bed.paths).loadedJobs();
        return jobs && std::any_of(jobs->begin(), jobs->end(), [](const LaunchdJob& job) {
                   return job.label == "com.brantholm.vpn";
               });
    }

    std::optional<PlistValue> installed(const char* name) const
    {
        return readPlistFile(bed.installationDirectory() / name);
    }

    AppTestBed bed{AppTestBed::Commands::RunAsRoot};
    WindowController* window = nullptr;
};

TEST_F(WindowServer, StartRestartOptionStopAndRefreshFollowLaunchd)
{
    window->checkStatusLights(nullptr);
    EXPECT_EQ(shownBy(*window), kStopped);
    option(window->vpnButton, true);
    EXPECT_EQ(shownBy(*window), kStopped) << "Option changes nothing while stopped";
    option(window->vpnButton, false);

    click();
    EXPECT_EQ(shownBy(*window), kRunning);
    EXPECT_TRUE(jobLoaded());
    EXPECT_FALSE(window->progressIndicator->isVisible());

    option(window->vpnHostField, true);
    EXPECT_EQ(shownBy(*window), kRunningWithOption);
    option(window->vpnHostField, false);
    EXPECT_EQ(shownBy(*window), kRunning);

    click();
    EXPECT_EQ(shownBy(*window), kRunning) << "a restart leaves it running";
    EXPECT_TRUE(jobLoaded());

    option(window->vpnButton, true);
    click();
    EXPECT_EQ(shownBy(*window), kStopped) << "stopped, though Option is still held";
    EXPECT_FALSE(jobLoaded());
    option(window->vpnButton, false);
    EXPECT_EQ(shownBy(*window), kStopped);

    click();
    EXPECT_EQ(shownBy(*window), kRunning);
    option(window->vpnButton, true);
    window->reloadData(nullptr);
    EXPECT_EQ(shownBy(*window), kRunning) << "a refresh ignores the held key";
    QKeyEvent shift(QEvent::KeyPress, Qt::Key_Shift, Qt::AltModifier);
    QCoreApplication::sendEvent(window->vpnButton, &shift);
    EXPECT_EQ(shownBy(*window), kRunningWithOption) << "the next change with Option held";
    option(window->vpnButton, false);
    EXPECT_TRUE(jobLoaded());

    // From the keyboard: Option held, then Space on the button.
    option(window->vpnButton, true);
    QTest::keyClick(window->vpnButton, Qt::Key_Space, Qt::AltModifier);
    EXPECT_EQ(shownBy(*window), kStopped);
    EXPECT_FALSE(jobLoaded());
}

TEST_F(WindowServer, TypedSettingsAreInstalledAndReadBack)
{
    struct Case {
        QString type, host, secret, dns, domains, first, last;
        QString dnsShown, domainsShown;
        const QString& advice;
    };
    const Case cases[] = {
        {u"L2TP"_s, u"vpn.example.org"_s, u"s3cret"_s, u"10.0.0.1, 10.0.0.2"_s, u"lan"_s, u"10.0.0.100"_s,
         u"10.0.0.150"_s, u"10.0.0.1, 10.0.0.2"_s, u"lan"_s, kL2TPAdvice},
        {u"PPTP"_s, u"b\u00fcro.example"_s, u"p\u00e4ss \u2713"_s, u""_s, u"a,,b,"_s, u"10.1.0.10"_s, u"10.1.0.20"_s,
         u""_s, u"a, , b, "_s, kPPTPAdvice},
        {u"L2TP"_s, u"203.0.113.9"_s, u""_s, u"8.8.8.8"_s, u"x.example, y.example"_s, u""_s, u""_s, u"8.8.8.8"_s,
         u"x.example, y.example"_s, kL2TPAdvice},
    };
    const std::optional<PlistValue> serverTemplate =
        readPlistFile(bed.resourceFolder / "VPNStuff" / "com.apple.RemoteAccessServers.plist");
    ASSERT_TRUE(serverTemplate);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.type.toStdString() + " " + c.host.toStdString());
        window->vpnTypeMenu->setCurrentIndex(window->vpnTypeMenu->findText(c.type));
        const std::pair<QLineEdit*, QString> typed[] = {{window->vpnHostField, c.host},
                                                        {window->dnsServerAddressesField, c.dns},
                                                        {window->searchDomainsField, c.domains},
                                                        {window->startIPAddressField, c.first},
                                                        {window->endIPAddressField, c.last}};
        for (const auto& [field, text] : typed) {
            field->clear();
            typeInto(field, text);
        }
        window->sharedSecretField->setText(c.secret); // read-only: the secret sheet fills it
        click();
        ASSERT_EQ(shownBy(*window), kRunning);

        EXPECT_EQ(window->vpnTypeMenu->currentText(), c.type);
        EXPECT_EQ(window->vpnHostField->text(), c.host);
        EXPECT_EQ(window->sharedSecretField->text(), c.secret);
        EXPECT_EQ(window->dnsServerAddressesField->text(), c.dnsShown);
        EXPECT_EQ(window->searchDomainsField->text(), c.domainsShown);
        EXPECT_EQ(window->startIPAddressField->text(), c.first);
        EXPECT_EQ(window->endIPAddressField->text(), c.last);
        EXPECT_EQ(window->portForwardingInfo->text(), c.advice);

        const std::optional<PlistValue> job = installed("com.brantholm.vpn.plist");
        const std::optional<PlistValue> server = installed("com.apple.RemoteAccessServers.plist");
        ASSERT_TRUE(job && server);
        const PlistArray* arguments = valueForKey(*job, "ProgramArguments")->array();
        EXPECT_EQ(*arguments->back().string(), "com.apple.ppp." + c.type.toStdString());
        const QByteArray secretBytes = c.secret.toUtf8();
        EXPECT_EQ(*valueForKey(*server, "SharedSecret"), PlistValue(PlistData(secretBytes.begin(), secretBytes.end())));
        // The type not chosen holds the template's values again.
        const std::string other = c.type == QStringLiteral("L2TP") ? "PPTP" : "L2TP";
        const std::string otherEntry = "Servers.com.apple.ppp." + other;
        EXPECT_EQ(*valueForKeyPath(*server, otherEntry), *valueForKeyPath(*serverTemplate, otherEntry));
    }

    // A reload replaces what was typed but not installed, the type included.
    window->vpnTypeMenu->setCurrentIndex(window->vpnTypeMenu->findText(QStringLiteral("PPTP")));
    QTest::keyClicks(window->vpnHostField, QStringLiteral(".unsaved"));
    window->reloadData(nullptr);
    EXPECT_EQ(window->vpnTypeMenu->currentText(), QStringLiteral("L2TP"));
    EXPECT_EQ(window->vpnHostField->text(), QStringLiteral("203.0.113.9"));
    EXPECT_EQ(window->portForwardingInfo->text(), kL2TPAdvice);
}

TEST_F(WindowServer, PicturesBeforeAndAfterAStart)
{
    window->window()->resize(window->window()->minimumSize());
    window->doStartUpChecks(); // as after the login: installed from the templates, then loaded
    const QImage stopped = picture(*window, "server-stopped.png");
    ASSERT_FALSE(stopped.isNull());

    QTest::keyClicks(window->vpnHostField, QStringLiteral("vpn.example.org"));
    QTest::keyClicks(window->dnsServerAddressesField, QStringLiteral("192.168.1.1"));
    click();
    ASSERT_EQ(shownBy(*window), kRunning);
    EXPECT_NE(picture(*window, "server-running.png"), stopped);
    const QLabel* advice = window->portForwardingInfo;
    EXPECT_GE(advice->height(), advice->heightForWidth(advice->width())) << "the advice is cut off";
    option(window->vpnButton, true);
    picture(*window, "server-running-option.png");
    option(window->vpnButton, false);
}

} // namespace
} // namespace veltrona::test
