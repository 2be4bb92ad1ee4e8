// "Server > Check Setup…" on an emulated Mac through the real runner: the sheet lists every check
// with its result and sentence, reads as a table to a screen reader, and goes with Done or Escape.
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "app/WindowSnapshot.h"
#include "tests/app/AccountWindow.h"
#include "tests/app/KeptPicture.h"

#include <QAction>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

namespace veltrona::test {
namespace {

class SetupCheckSheet : public AccountWindow { };

QString cell(const QTableWidget* table, const QString& check, int column)
{
    for (int row = 0; row < table->rowCount(); ++row)
        if (table->item(row, 0)->text() == check)
            return table->item(row, column)->text();
    return QStringLiteral("(no row)");
}

TEST_F(SetupCheckSheet, ListsEachCheckWithItsResultAndHowToFixIt)
{
    storeVpnUser(bed.platform.root(), "carol", 450); // made elsewhere, with no NT hash
    window->sharedSecretField->setText(QStringLiteral("Sesame4"));
    // The test root's dig asks nobody, so the server counts as silent.
    window->dnsServerAddressesField->setText(QStringLiteral("10.0.0.1"));
    window->startIPAddressField->setText(QStringLiteral("10.0.0.200"));
    window->endIPAddressField->setText(QStringLiteral("10.0.0.220"));

    window->window()->findChild<QAction*>(QStringLiteral("checkSetupAction"))->trigger();

    Sheet* sheet = window->setupCheckPanel;
    ASSERT_EQ(bed.interaction.lastSheetBegun(), sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    const QTableWidget* table = window->setupChecksTable;
    ASSERT_EQ(table->rowCount(), 7);
    EXPECT_EQ(cell(table, QStringLiteral("Shared secret"), 1), QStringLiteral("Failed"));
    EXPECT_EQ(cell(table, QStringLiteral("Shared secret"), 2),
              QStringLiteral("Make the shared secret at least 8 characters long."));
    EXPECT_EQ(cell(table, QStringLiteral("VPN accounts"), 2),
              QStringLiteral("Set the password again for carol so that they can log in over the VPN."));
    EXPECT_EQ(cell(table, QStringLiteral("Address range"), 1), QStringLiteral("Passed"));
    EXPECT_EQ(cell(table, QStringLiteral("DNS servers"), 2),
              QStringLiteral("Check that the DNS server 10.0.0.1 is reachable, or enter another one."));
    EXPECT_EQ(cell(table, QStringLiteral("Signing certificate"), 1), QStringLiteral("Passed"));

    // A screen reader hears a named table whose columns have headers.
    EXPECT_EQ(table->accessibleName(), QStringLiteral("Setup checks"));
    EXPECT_TRUE(table->horizontalHeader()->isVisible());
    QStringList headers;
    for (int column = 0; column < table->columnCount(); ++column)
        headers << table->model()->headerData(column, Qt::Horizontal).toString();
    EXPECT_EQ(headers, (QStringList{QStringLiteral("Check"), QStringLiteral("Result"), QStringLiteral("Details")}));
    auto* done = qobject_cast<QPushButton*>(sheet->cancelButton());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(done->text(), QStringLiteral("Done"));
    EXPECT_TRUE(done->isDefault());

    keep(sheet->grab().toImage(), "setup-check-sheet.png");
    keep(snapshotOfWindow(*window), "main-window-with-setup-check-sheet.png");

    QTest::keyClick(window->setupChecksTable, Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible()) << "Escape closes the sheet";

    window->window()->findChild<QAction*>(QStringLiteral("checkSetupAction"))->trigger();
    ASSERT_TRUE(sheet->isVisible());
    QTest::keyClick(done, Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible()) << "Done closes the sheet";
    EXPECT_TRUE(bed.log.lines.empty()) << "checking writes nothing to the log";
}

} // namespace
} // namespace veltrona::test
