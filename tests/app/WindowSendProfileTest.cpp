// "Accounts > Send Profile to Phone…" through the window: the sheet's picture of the QR code is
// read with zbarimg, the address fetched once with curl on loopback (the dynamic store's primary
// interface is given 127.0.0.1, so nothing leaves this machine), and closing the sheet ends the
// offer with its socket (issue 19).
#include "app/AccountArrayController.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowController.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/KeptPicture.h"
#include "tests/support/OfferFetch.h"
#include "tests/support/ProcessRun.h"

#include <QAction>
#include <QItemSelectionModel>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <regex>

namespace veltrona::test {
namespace {

// The store names the primary interface en0 with these addresses. A store file is always
// written: without one the emulated Mac reads this machine's own network.
void givePrimaryInterface(const PlatformPaths& paths, const std::vector<std::string>& addresses)
{
    PlistDictionary keys;
    PlistDictionary global;
    global.set("PrimaryInterface", std::string("en0"));
    keys.set("State:/Network/Global/IPv4", global);
    PlistDictionary interface;
    interface.set("Addresses", stringArray(addresses));
    keys.set("State:/Network/Interface/en0/IPv4", interface);
    const std::filesystem::path file = paths.map(kDynamicStoreFile);
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(writePlistAtomically(keys, file));
}

// The text zbarimg reads from a picture; nothing when it reads none.
std::optional<std::string> decodePicture(const QImage& picture)
{
    TempDir dir;
    const QString file = QString::fromStdString((dir / "code.png").string());
    if (!picture.save(file, "PNG"))
        return std::nullopt;
    const ProcessRun read = runProgram("zbarimg", {"--quiet", "--raw", file.toStdString()});
    std::string text = read.out;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return read.exitStatus == 0 ? std::optional(text) : std::nullopt;
}

bool waitUntil(const std::function<bool()>& done)
{
    for (int i = 0; i < 100 && !done(); ++i)
        QTest::qWait(50);
    return done();
}

class WindowSendProfile : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* tool : {"curl", "zbarimg"}) {
            if (!programAvailable(tool))
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
        }
        givePrimaryInterface(bed.paths, {"127.0.0.1", "127.0.0.2"});
        window = &bed.makeController();
        window->userAccountsController->addObjects({{"alice", "1"}, {"bob", "1"}});
        window->userAccountsController->setSelectionIndex(1);
        window->vpnHostField->setText(QStringLiteral("vpn.example.org"));
        window->sharedSecretField->setText(QStringLiteral("Sesame42"));
    }
    void send() { window->window()->findChild<QAction*>(QStringLiteral("sendProfileToPhoneAction"))->trigger(); }
    QPushButton* done() const
    {
        return window->sendProfilePanel->findChild<QPushButton*>(QStringLiteral("sendProfileDoneButton"));
    }

    AppTestBed bed;
    WindowController* window = nullptr;
};

TEST_F(WindowSendProfile, TheSheetsCodeLeadsToOneDownloadThenDoneClosesIt)
{
    send();
    ASSERT_TRUE(window->sendProfilePanel->isVisible()) << "the sheet is shown";
    EXPECT_TRUE(bed.interaction.alerts().isEmpty());
    const std::string url = window->sendProfileAddressField->text().toStdString();
    ASSERT_TRUE(std::regex_match(url, std::regex("https://127\\.0\\.0\\.1:[0-9]+/[0-9a-f]{32}"))) << url;
    EXPECT_TRUE(window->sendProfileAddressField->isReadOnly());
    const QString left = window->sendProfileTimeLeftField->text();
    EXPECT_TRUE(left == QStringLiteral("10:00") || left == QStringLiteral("9:59")) << left.toStdString();
    EXPECT_TRUE(window->sendProfileIntroField->text().contains(QStringLiteral("the profile of bob")));
    EXPECT_EQ(window->sendProfileCodeImage->accessibleDescription().toStdString(), "QR code of " + url);
    EXPECT_EQ(window->sendProfilePanel->focusWidget(), done()) << "Done has the keyboard; Return and Escape both end the offer";
    EXPECT_TRUE(done()->isDefault());

    const QImage code = window->sendProfileCodeImage->pixmap().toImage();
    EXPECT_EQ(decodePicture(code), url) << "the picture is the address's QR code";
    keep(window->sendProfilePanel->grab().toImage(), "send-profile-sheet.png");

    const Fetched fetched = fetchOnce(url);
    EXPECT_EQ(fetched.status, 200);
    EXPECT_EQ(fetched.contentType, "application/x-apple-aspen-config");
    // The profile "Export Profile…" saves: bob's, with the shared secret and without a password.
    EXPECT_NE(fetched.body.find("<string>bob</string>"), std::string::npos);
    EXPECT_NE(fetched.body.find("U2VzYW1lNDI="), std::string::npos);
    EXPECT_NE(fetched.body.find("<key>AuthPassword</key>\n\t\t\t\t<string></string>"), std::string::npos)
        << fetched.body;

    const int port = portOf(url);
    EXPECT_TRUE(waitUntil([&] {
        return window->sendProfileInfoField->text()
               == QStringLiteral("The profile was downloaded; the address is gone.");
    })) << window->sendProfileInfoField->text().toStdString();
    EXPECT_FALSE(listeningOn(port));
    EXPECT_TRUE(window->sendProfileAddressField->text().isEmpty());
    EXPECT_TRUE(window->sendProfileCodeImage->pixmap().isNull()) << "a spent code is no longer shown";
    keep(window->sendProfilePanel->grab().toImage(), "send-profile-sheet-downloaded.png");
    QTest::mouseClick(done(), Qt::LeftButton);
    EXPECT_FALSE(window->sendProfilePanel->isVisible());
}

TEST_F(WindowSendProfile, EscapeEndsTheOfferAtOnce)
{
    send();
    ASSERT_TRUE(window->sendProfilePanel->isVisible());
    const std::string url = window->sendProfileAddressField->text().toStdString();
    ASSERT_TRUE(listeningOn(portOf(url)));
    QTest::keyClick(window->sendProfilePanel, Qt::Key_Escape);
    EXPECT_FALSE(window->sendProfilePanel->isVisible());
    EXPECT_FALSE(listeningOn(portOf(url))) << "closing the sheet closes the socket before it returns";
    EXPECT_EQ(fetchOnce(url).curlExit, 7);

    // No account selected: a beep, as for "Export Profile…", and nothing offered.
    window->userAccountsController->selectionModel()->clearSelection();
    send();
    EXPECT_FALSE(window->sendProfilePanel->isVisible());
    EXPECT_EQ(bed.interaction.beepCount(), 1);
}

TEST_F(WindowSendProfile, NoAddressOnTheNetworkIsSaid)
{
    givePrimaryInterface(bed.paths, {});
    send();
    EXPECT_FALSE(window->sendProfilePanel->isVisible());
    ASSERT_EQ(bed.interaction.alerts().size(), 1);
    EXPECT_EQ(bed.interaction.alerts().front().messageText, QStringLiteral("The profile could not be offered."));
    EXPECT_EQ(bed.interaction.alerts().front().informativeText,
              QStringLiteral("The network has no primary interface with an address a phone could reach."));
}

} // namespace
} // namespace veltrona::test
