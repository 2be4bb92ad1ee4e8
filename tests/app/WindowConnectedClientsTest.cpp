// "Server > Connected Clients…" through the real runner, against a vpnsessions of the test's own in
// the emulated Mac: the table and its headers, Disconnect only for a chosen row and only after
// the confirmation, the refresh keeping the choice, and a server that cannot be asked.
#include "app/Alert.h"
#include "app/ConnectedClientsSheet.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowSnapshot.h"
#include "tests/app/AccountWindow.h"
#include "tests/app/AlertShown.h"
#include "tests/app/KeptPicture.h"

#include <QAction>
#include <QDateTime>
#include <QLocale>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <fstream>

namespace veltrona::test {
namespace {

const char* const kTwoClients = R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><array>
<dict><key>Name</key><string>alice</string><key>RemoteAddress</key><string>203.0.113.7</string>
<key>TunnelAddress</key><string>192.168.77.10</string><key>ConnectedSince</key><date>2026-12-08T09:15:00Z</date>
<key>BytesIn</key><integer>18342</integer><key>BytesOut</key><integer>920133</integer></dict>
<dict><key>Name</key><string>bob</string><key>RemoteAddress</key><string>198.51.100.23</string>
<key>TunnelAddress</key><string>192.168.77.11</string><key>ConnectedSince</key><date>2026-12-08T10:02:41Z</date>
<key>BytesIn</key><integer>2048</integer><key>BytesOut</key><integer>4096</integer></dict>
</array></plist>
)";

class ConnectedClients : public AccountWindow {
protected:
    void SetUp() override
    {
        AccountWindow::SetUp();
        // Lists what the test put in sessions.plist; records whom it was asked to disconnect.
        const std::filesystem::path tool = bed.platform.root() / "usr/sbin/vpnsessions";
        std::ofstream(tool) << "#!/bin/sh\n"
                               "here=\"$VELTRONA_PLATFORM_ROOT/tmp\"\n"
                               "if [ \"$1\" = disconnect ]; then printf '%s\\n' \"$2\" >> \"$here/disconnected\"; "
                               "echo 1; exit 0; fi\n"
                               "exec cat \"$here/sessions.plist\"\n";
        std::filesystem::permissions(tool, std::filesystem::perms(0755));
        std::filesystem::create_directories(bed.platform.root() / "tmp");
        serve(kTwoClients);
    }

    void serve(const std::string& plist) { std::ofstream(bed.platform.root() / "tmp/sessions.plist") << plist; }

    std::string disconnected() const
    {
        std::ifstream in(bed.platform.root() / "tmp/disconnected");
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    QString cell(int row, int column) const
    {
        const QTableWidgetItem* item = window->connectedClients->table()->item(row, column);
        return item ? item->text() : QStringLiteral("(none)");
    }

    void open() { window->window()->findChild<QAction*>(QStringLiteral("connectedClientsAction"))->trigger(); }
};

TEST_F(ConnectedClients, ListsWhoIsConnectedAndDisconnectsAfterTheConfirmation)
{
    open();
    Sheet* sheet = window->connectedClientsPanel;
    ASSERT_EQ(bed.interaction.lastSheetBegun(), sheet);
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    QTableWidget* table = window->connectedClients->table();
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(QStringList({cell(1, 0), cell(1, 1), cell(1, 2)}),
              QStringList({QStringLiteral("bob"), QStringLiteral("198.51.100.23"), QStringLiteral("192.168.77.11")}));
    EXPECT_EQ(cell(0, 3), QDateTime::fromSecsSinceEpoch(1796721300).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    EXPECT_EQ(cell(0, 5), QLocale().toString(920133));

    // A screen reader hears a named table whose columns have headers.
    EXPECT_EQ(table->accessibleName(), QStringLiteral("Connected clients"));
    QStringList headers;
    for (int column = 0; column < table->columnCount(); ++column)
        headers << table->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("Account"), QStringLiteral("From"), QStringLiteral("Tunnel Address"),
                                    QStringLiteral("Connected Since"), QStringLiteral("Bytes In"),
                                    QStringLiteral("Bytes Out")}));
    QPushButton* disconnect = window->connectedClients->disconnectButton();
    EXPECT_FALSE(disconnect->isEnabled()) << "nobody chosen yet";
    auto* done = qobject_cast<QPushButton*>(sheet->cancelButton());
    ASSERT_NE(done, nullptr);
    EXPECT_TRUE(done->isDefault());

    table->selectRow(1);
    ASSERT_TRUE(disconnect->isEnabled());
    keep(sheet->grab().toImage(), "connected-clients-sheet.png");
    keep(snapshotOfWindow(*window), "main-window-with-connected-clients-sheet.png");

    // "Cancel" ends nothing.
    bed.interaction.queueAlertAnswer(NSAlertFirstButtonReturn);
    QTest::mouseClick(disconnect, Qt::LeftButton);
    EXPECT_EQ(alertShown(*bed.interaction.lastAlert()),
              "Disconnect bob from the VPN server? | Their connection ends now. The account stays, and they can "
              "connect again. | Cancel,Disconnect | sheet");
    EXPECT_EQ(disconnected(), "");

    // The refresh keeps bob chosen while he is listed.
    QTimer* refresh = sheet->findChild<QTimer*>();
    ASSERT_NE(refresh, nullptr);
    EXPECT_TRUE(refresh->isActive());
    EXPECT_EQ(refresh->interval(), 2000);
    window->connectedClients->refresh();
    EXPECT_EQ(table->selectedItems().front()->row(), 1);

    bed.interaction.queueAlertAnswer(NSAlertSecondButtonReturn);
    QTest::mouseClick(disconnect, Qt::LeftButton);
    EXPECT_EQ(disconnected(), "bob\n");

    serve("<plist version=\"1.0\"><array/></plist>\n");
    window->connectedClients->refresh();
    EXPECT_EQ(table->rowCount(), 0);
    EXPECT_FALSE(disconnect->isEnabled());
    EXPECT_EQ(window->connectedClients->infoField()->text(), QStringLiteral("Nobody is connected."));

    // A server that cannot be asked is not taken for one nobody uses.
    serve("vpnsessions: nothing here");
    window->connectedClients->refresh();
    EXPECT_EQ(window->connectedClients->infoField()->text(),
              QStringLiteral("The VPN server's sessions cannot be read."));

    QTest::keyClick(table, Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible()) << "Escape closes the sheet";
    EXPECT_FALSE(refresh->isActive()) << "no refreshing behind a closed sheet";
}

} // namespace
} // namespace veltrona::test
