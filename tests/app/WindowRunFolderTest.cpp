// The window writes its temporary server files in a private folder of its run inside the platform
// root: never into the application's folder, which may be read-only and is shared by every copy.
#include "app/WindowController.h"
#include "platform/PlatformPaths.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/WindowServerShown.h"
#include "tests/support/FileText.h"
#include "vpnserver/RunFolder.h"
#include "vpnserver/ServerFileLocations.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

fs::path runFolderParent(const AppTestBed& bed)
{
    return bed.paths.map(kRunFolderParent);
}

TEST(WindowRunFolder, SettingsAreInstalledEvenWhenTheApplicationFolderTakesNoFiles)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    // Folders where the temporary copies used to go: no write there can succeed, even as root.
    for (const char* name : {kServerFileName, kJobFileName})
        fs::create_directories(bed.resourceFolder / name);
    WindowController& window = bed.makeLoggedInController();

    window.vpnHostField->setText(QStringLiteral("vpn.example.org"));
    QTest::mouseClick(window.vpnButton, Qt::LeftButton);
    EXPECT_EQ(window.vpnHostField->text(), QStringLiteral("vpn.example.org")) << "read back from the installed file";
    EXPECT_EQ(window.vpnButton->text(), QStringLiteral("Restart VPN"));
    EXPECT_EQ(bed.log.lines, std::vector<std::string>{kNoSecretCheckLine}) << "only the start's note of its checks";

    // One private folder of this run, removed with it.
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(runFolderParent(bed)))
        folders.push_back(entry.path());
    ASSERT_EQ(folders.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(fs::status(folders.front()).permissions()) & 0777u, 0700u);
    bed.destroyController();
    EXPECT_FALSE(fs::exists(folders.front()));
}

TEST(WindowRunFolder, AWriteThatFailsIsLoggedAndInstallsNothing)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    WindowController& window = bed.makeLoggedInController();
    for (const auto& entry : fs::directory_iterator(runFolderParent(bed))) {
        fs::remove_all(entry.path());
        writeText(entry.path(), "no longer a folder");
    }

    window.vpnHostField->setText(QStringLiteral("vpn.example.org"));
    QTest::mouseClick(window.vpnButton, Qt::LeftButton);
    EXPECT_EQ(window.vpnHostField->text(), QString()) << "nothing was installed";
    ASSERT_EQ(bed.log.lines.size(), 3u);
    EXPECT_EQ(bed.log.lines.front(), kNoSecretCheckLine);
}

} // namespace
} // namespace veltrona::test
