// The setup checks (vpnserver/SetupChecks.h) in the window: "Check Setup…" lists them in a sheet,
// and a start names the first that failed in the log.
#include "app/WindowController.h"

#include "accounts/AccountListing.h"
#include "app/Interaction.h"
#include "app/Sheet.h"
#include "network/NetworkValues.h"
#include "profiles/SigningMaterial.h"
#include "vpnserver/ServerSettings.h"
#include "vpnserver/SetupChecks.h"

#include <QAbstractButton>
#include <QHeaderView>
#include <QTableWidget>

namespace veltrona {

namespace {

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString shownResult(CheckResult result)
{
    switch (result) {
    case CheckResult::Pass: return QStringLiteral("Passed");
    case CheckResult::Warn: return QStringLiteral("Warning");
    case CheckResult::Fail: break;
    }
    return QStringLiteral("Failed");
}

void fillTable(QTableWidget* table, const std::vector<SetupCheck>& checks)
{
    table->clearContents();
    table->setRowCount(static_cast<int>(checks.size()));
    for (int row = 0; row < table->rowCount(); ++row) {
        const SetupCheck& check = checks[static_cast<std::size_t>(row)];
        const QString texts[] = {qText(check.name), shownResult(check.result), qText(check.message)};
        for (int column = 0; column < 3; ++column) {
            auto* item = new QTableWidgetItem(texts[column]);
            item->setToolTip(texts[column]);
            table->setItem(row, column, item);
        }
    }
    table->resizeColumnToContents(0);
    table->resizeColumnToContents(1);
}

} // namespace

std::vector<SetupCheck> WindowController::runSetupChecks()
{
    SetupCheckInput input;
    input.settings = serverSettings();
    for (const AccountRecord& account : loadVpnAccounts(runner(), services_.log))
        input.vpnAccounts.push_back(account.userName);
    input.machineAddresses = readNetworkValues(services_.dynamicStore).addresses;
    const std::string& host = input.settings.vpnHost;
    // A host that cannot be a file name has no certificate of its own.
    if (!host.empty() && host.find('/') == std::string::npos && host.find('\0') == std::string::npos) {
        const SigningFiles files = signingFilesFor(services_.paths, host);
        input.signing = {files.certificate, files.key, files.intermediate};
    }
    return veltrona::runSetupChecks(runner(), services_.paths, input);
}

void WindowController::checkSetup(QObject* /*sender*/)
{
    endEditing();
    startProgress();
    const std::vector<SetupCheck> checks = runSetupChecks();
    stopProgress();
    fillTable(setupChecksTable, checks);
    beginSheet(setupCheckPanel);
    // Only now does the last column have its width, which the wrapped sentences' heights follow.
    setupChecksTable->verticalHeader()->setMinimumSectionSize(26); // one line, with air around it
    setupChecksTable->resizeRowsToContents();
    if (QAbstractButton* done = setupCheckPanel->cancelButton())
        done->setFocus(Qt::OtherFocusReason);
}

} // namespace veltrona
