#include "app/ConnectedClientsSheet.h"

#include "app/Alert.h"
#include "app/AlertFromText.h"
#include "app/Interaction.h"
#include "app/Sheet.h"
#include "vpnserver/ConnectedClients.h"

#include "ui_ConnectedClientsPanel.h"

#include <QDateTime>
#include <QHeaderView>
#include <QLocale>

namespace veltrona {

namespace {

QString qText(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

ConnectedClientsSheet::ConnectedClientsSheet(QWidget* window, Sheet* sheet, Interaction& interaction,
                                             std::function<CommandRunner&()> runner)
    : QObject(sheet), window_(window), sheet_(sheet), interaction_(interaction), runner_(std::move(runner)),
      ui_(std::make_unique<Ui::ConnectedClientsPanel>()), timer_(new QTimer(this))
{
    ui_->setupUi(sheet_);
    timer_->setInterval(kRefreshMilliseconds);
    connect(timer_, &QTimer::timeout, this, &ConnectedClientsSheet::refresh);
    // Refreshing stops with the sheet, however it ends.
    connect(sheet_, &QDialog::finished, timer_, &QTimer::stop);
    connect(ui_->connectedClientsDoneButton, &QPushButton::clicked, this,
            [this] { interaction_.endSheet(sheet_, 0); });
    connect(ui_->connectedClientsDisconnectButton, &QPushButton::clicked, this,
            &ConnectedClientsSheet::disconnectSelected);
    connect(ui_->connectedClientsTable, &QTableWidget::itemSelectionChanged, this, [this] {
        ui_->connectedClientsDisconnectButton->setEnabled(!selectedAccount().empty());
    });
    ui_->connectedClientsDisconnectButton->setEnabled(false);
    QHeaderView* header = ui_->connectedClientsTable->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setStretchLastSection(true);
}

ConnectedClientsSheet::~ConnectedClientsSheet() = default;

QTableWidget* ConnectedClientsSheet::table() const
{
    return ui_->connectedClientsTable;
}

QPushButton* ConnectedClientsSheet::disconnectButton() const
{
    return ui_->connectedClientsDisconnectButton;
}

QLabel* ConnectedClientsSheet::infoField() const
{
    return ui_->connectedClientsInfoField;
}

void ConnectedClientsSheet::show()
{
    refresh();
    interaction_.beginSheet(window_, sheet_);
    ui_->connectedClientsDoneButton->setFocus(Qt::OtherFocusReason);
    timer_->start();
}

std::string ConnectedClientsSheet::selectedAccount() const
{
    const QList<QTableWidgetItem*> chosen = ui_->connectedClientsTable->selectedItems();
    if (chosen.isEmpty())
        return {};
    const QTableWidgetItem* account = ui_->connectedClientsTable->item(chosen.front()->row(), 0);
    return account ? account->text().toStdString() : std::string();
}

void ConnectedClientsSheet::refresh()
{
    QTableWidget* table = ui_->connectedClientsTable;
    const std::string kept = selectedAccount();
    const std::optional<std::vector<ConnectedClient>> clients = connectedClients(runner_());
    const QSignalBlocker quiet(table);
    table->clearContents();
    table->setRowCount(clients ? static_cast<int>(clients->size()) : 0);
    const QLocale locale;
    int keptRow = -1;
    for (int row = 0; clients && row < table->rowCount(); ++row) {
        const ConnectedClient& client = (*clients)[static_cast<std::size_t>(row)];
        const QString since = QDateTime::fromSecsSinceEpoch(client.connectedSince).toString(
            QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const QString cells[] = {qText(client.account),
                                 qText(client.remoteAddress),
                                 client.tunnelAddress.empty() ? QStringLiteral("—") : qText(client.tunnelAddress),
                                 since,
                                 locale.toString(static_cast<qlonglong>(client.bytesIn)),
                                 locale.toString(static_cast<qlonglong>(client.bytesOut))};
        for (int column = 0; column < 6; ++column) {
            auto* item = new QTableWidgetItem(cells[column]);
            if (column >= 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            table->setItem(row, column, item);
        }
        if (client.account == kept && keptRow < 0)
            keptRow = row;
    }
    if (keptRow >= 0)
        table->selectRow(keptRow);
    ui_->connectedClientsDisconnectButton->setEnabled(keptRow >= 0);
    ui_->connectedClientsInfoField->setText(!clients           ? QString::fromUtf8(kSessionsUnreadable)
                                            : clients->empty() ? QStringLiteral("Nobody is connected.")
                                                               : QString());
}

void ConnectedClientsSheet::disconnectSelected()
{
    const std::string account = selectedAccount();
    if (account.empty()) {
        interaction_.beep();
        return;
    }
    alertFromText(interaction_, disconnectConfirmationAlert(account))
        .beginSheetModalForWindow(sheet_, [this, account](int returnCode) { disconnectConfirmed(returnCode, account); });
}

void ConnectedClientsSheet::disconnectConfirmed(int returnCode, const std::string& account)
{
    if (returnCode != NSAlertSecondButtonReturn)
        return;
    const std::optional<int> ended = disconnectClient(runner_(), account);
    refresh();
    if (!ended)
        alertFromText(interaction_, disconnectFailedAlert(account)).beginSheetModalForWindow(sheet_, {});
}

} // namespace veltrona
