// Control characters that reach a settings field, typed or pasted, never reach the server file.
#include "app/WindowController.h"
#include "foundation/PlistIO.h"
#include "tests/app/AppTestBed.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(WindowSettingsFields, ControlCharactersAreDroppedAsTheyArrive)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    WindowController& window = bed.makeLoggedInController();

    // As a paste does: the text arrives as the user's edit.
    window.vpnHostField->clear();
    window.vpnHostField->insert(QStringLiteral("vpn\x01.exa\x1Fmple.org"));
    window.searchDomainsField->clear();
    window.searchDomainsField->insert(QStringLiteral("lan\x1B"));
    EXPECT_EQ(window.vpnHostField->text(), QStringLiteral("vpn.example.org"));
    EXPECT_EQ(window.searchDomainsField->text(), QStringLiteral("lan"));

    QTest::mouseClick(window.vpnButton, Qt::LeftButton);
    const std::optional<PlistValue> installed =
        readPlistFile(bed.installationDirectory() / "com.apple.RemoteAccessServers.plist");
    ASSERT_TRUE(installed);
    EXPECT_EQ(*installed->dictionary()->find("VPNHost"), PlistValue("vpn.example.org"));
}

} // namespace
} // namespace veltrona::test
