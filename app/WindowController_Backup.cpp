// One-file backup and restore of the server (issue 19) in the window: a save panel, then the
// passphrase twice; an open panel, then the passphrase, what the file holds, and the restore.
#include "app/WindowController.h"

#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "app/Sheet.h"
#include "backup/BackupFile.h"
#include "backup/BackupRestore.h"
#include "backup/BackupRoads.h"
#include "platform/ProcessInfo.h"
#include "services/AlertText.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veltrona {

namespace {

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string stdText(const QLineEdit* field)
{
    return field->text().toStdString();
}

// A sheet's refusal: a beep, why in its info field, the focus where the user can mend it.
void refuse(Interaction& interaction, QLabel* infoField, const std::string& message, QWidget* focus)
{
    interaction.beep();
    infoField->setText(qText(message));
    focus->setFocus(Qt::OtherFocusReason);
}

SavePanelOptions backupPanelOptions(const std::string& home, QString message, QString name = {})
{
    SavePanelOptions options;
    options.directory = QString::fromStdString(home);
    options.nameFieldStringValue = std::move(name);
    options.message = std::move(message);
    options.allowedFileType = QLatin1String(kBackupFileExtension);
    return options;
}

} // namespace

void WindowController::backUpServer(QObject* /*sender*/)
{
    endEditing();
    const std::string host = stdText(vpnHostField);
    const SavePanelOptions options = backupPanelOptions(services_.paths.map(services_.processInfo.homeDirectory()),
                                                        QStringLiteral("Back up the server to a file:"),
                                                        host.empty() ? QStringLiteral("VPN Server") : qText(host));
    services_.interaction.beginSavePanel(window_, options, [this](const QString& file, const QString&) {
        if (file.isEmpty())
            return;
        backUpFileField->setText(file);
        backUpPassphraseField->clear();
        backUpPassphraseVerifyField->clear();
        backUpInfoField->clear();
        beginSheet(backUpPanel);
        backUpPassphraseField->setFocus(Qt::OtherFocusReason);
    });
}

void WindowController::closeBackUpPanel(QObject* sender)
{
    if (sender == nullptr || sender->property("tag").toInt() == 0) {
        backUpPassphraseField->clear();
        backUpPassphraseVerifyField->clear();
        closeSheet(sender);
        return;
    }
    const std::string passphrase = stdText(backUpPassphraseField);
    if (passphrase.empty())
        return refuse(services_.interaction, backUpInfoField, kNoPassphrase, backUpPassphraseField);
    if (passphrase != stdText(backUpPassphraseVerifyField))
        return refuse(services_.interaction, backUpInfoField, kPassphrasesDiffer, backUpPassphraseVerifyField);

    const std::string file = stdText(backUpFileField);
    startProgress();
    const WrittenBackup written =
        writeServerBackup(serverFileLocations(), runner(), passphrase, file, std::chrono::system_clock::now());
    stopProgress();
    if (!written.status)
        return refuse(services_.interaction, backUpInfoField, written.status.message(), backUpPassphraseField);

    backUpPassphraseField->clear();
    backUpPassphraseVerifyField->clear();
    closeSheet(sender);
    beginAlertSheet(AlertText{"The server is backed up.",
                              file + " holds the server files, the shared secret and "
                                  + vpnAccountCountText(written.accounts)
                                  + ". Keep the passphrase: without it the file cannot be restored.",
                              {}});
}

void WindowController::resetRestorePanel()
{
    openedBackup_.reset();
    restorePassphraseField->clear();
    restorePassphraseField->setEnabled(true);
    restoreSummaryLabel->hide();
    restoreSummaryField->hide();
    restoreSummaryField->clear();
    restoreInfoField->clear();
    restoreButton->hide();
    restoreButton->setDefault(false);
    restoreOpenButton->show();
    restoreOpenButton->setDefault(true);
}

void WindowController::restoreServer(QObject* /*sender*/)
{
    endEditing();
    const SavePanelOptions options = backupPanelOptions(services_.paths.map(services_.processInfo.homeDirectory()),
                                                        QStringLiteral("Choose the backup to restore:"));
    services_.interaction.beginOpenPanel(window_, options, [this](const QString& file) {
        if (file.isEmpty())
            return;
        resetRestorePanel();
        restoreFileField->setText(file);
        beginSheet(restorePanel);
        restorePassphraseField->setFocus(Qt::OtherFocusReason);
    });
}

void WindowController::closeRestorePanel(QObject* sender)
{
    const int tag = sender == nullptr ? 0 : sender->property("tag").toInt();
    if (tag == 0) {
        resetRestorePanel();
        closeSheet(sender);
        return;
    }
    if (tag == 1) {
        const std::string file = stdText(restoreFileField);
        const std::optional<std::string> bytes = readBackupFile(file);
        if (!bytes)
            return refuse(services_.interaction, restoreInfoField, "The backup file cannot be read: " + file,
                          restorePassphraseField);
        const std::string passphrase = stdText(restorePassphraseField);
        if (passphrase.empty())
            return refuse(services_.interaction, restoreInfoField, kNoPassphrase, restorePassphraseField);
        OpenedServerBackup opened = openServerBackup(*bytes, passphrase);
        if (!opened.backup)
            return refuse(services_.interaction, restoreInfoField, opened.problem, restorePassphraseField);
        openedBackup_ = std::make_shared<ServerBackup>(std::move(*opened.backup));
        restoreSummaryField->setText(qText(backupSummary(*openedBackup_)));
        restoreSummaryLabel->show();
        restoreSummaryField->show();
        restoreInfoField->clear();
        restorePassphraseField->setEnabled(false);
        restoreOpenButton->hide();
        restoreOpenButton->setDefault(false);
        restoreButton->show();
        restoreButton->setDefault(true);
        restoreButton->setFocus(Qt::OtherFocusReason);
        // The sheet grows to show the lines that have just appeared.
        restorePanel->adjustSize();
        return;
    }
    if (!openedBackup_)
        return;
    startProgress();
    const RestoreReport report = restoreBackup(*openedBackup_, serverFileLocations(), runner());
    stopProgress();
    resetRestorePanel();
    closeSheet(sender);
    reloadData(nullptr);
    if (report.status)
        beginAlertSheet(AlertText{"The server is restored.", restoreReportText(report), {}});
    else
        beginAlertSheet(AlertText{"The server could not be restored.", report.status.message(), {}});
}

} // namespace veltrona
