// Control characters that reach a settings field, by any road, never reach the server file.
#include "app/WindowController.h"
#include "foundation/PlistIO.h"
#include "tests/app/AppTestBed.h"
#include "tests/support/FileText.h"

#include <QAccessible>
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

// An assistive tool sets text without typing: the characters are dropped all the same, and the
// server file stays readable by any XML reader.
TEST(WindowSettingsFields, ControlCharactersSetThroughAccessibilityAreDropped)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    WindowController& window = bed.makeLoggedInController();

    QAccessibleInterface* host = QAccessible::queryAccessibleInterface(window.vpnHostField);
    ASSERT_TRUE(host);
    host->setText(QAccessible::Value, QStringLiteral("vpn.exa\x01mple.org"));
    QAccessibleInterface* domains = QAccessible::queryAccessibleInterface(window.searchDomainsField);
    ASSERT_TRUE(domains && domains->editableTextInterface());
    window.searchDomainsField->clear();
    domains->editableTextInterface()->insertText(0, QStringLiteral("l\x07" "an"));
    EXPECT_EQ(window.vpnHostField->text(), QStringLiteral("vpn.example.org"));
    EXPECT_EQ(window.searchDomainsField->text(), QStringLiteral("lan"));

    QTest::mouseClick(window.vpnButton, Qt::LeftButton);
    const std::string written = readText(bed.installationDirectory() / "com.apple.RemoteAccessServers.plist");
    EXPECT_EQ(written.find("&#"), std::string::npos);
    EXPECT_EQ(written.find('\x01'), std::string::npos);
    EXPECT_NE(written.find("vpn.example.org"), std::string::npos);
}

} // namespace
} // namespace veltrona::test
