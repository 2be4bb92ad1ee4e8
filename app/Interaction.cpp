#include "app/Interaction.h"

#include "app/Alert.h"
#include "app/AlertDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QUrl>
#include <QWidget>

#include <cstdio>

namespace veltrona {

void Interaction::beep()
{
    ++beepCount_;
    if (mode_ == Mode::Interactive)
        QApplication::beep();
}

std::optional<AlertRecord> Interaction::lastAlert() const
{
    if (alerts_.isEmpty())
        return std::nullopt;
    return alerts_.back();
}

std::optional<int> Interaction::scriptedAnswer(const Alert& alert, bool asSheet)
{
    alerts_.append({alert.messageText(), alert.informativeText(), alert.buttonTitles(), asSheet});
    if (mode_ == Mode::Unattended) {
        const QString text = alert.messageText() + QLatin1Char('\n') + alert.informativeText() + QLatin1Char('\n');
        std::fputs(text.toLocal8Bit().constData(), stderr);
        std::fflush(stderr);
    }
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    if (mode_ != Mode::Interactive)
        return NSAlertFirstButtonReturn;
    return std::nullopt;
}

int Interaction::runAlert(const Alert& alert)
{
    if (auto answer = scriptedAnswer(alert, false))
        return *answer;
    AlertDialog dialog(alert.messageText(), alert.informativeText(), alert.buttonTitles(),
                       QApplication::activeWindow());
    return dialog.exec();
}

void Interaction::beginAlertSheet(const Alert& alert, QWidget* window, std::function<void(int)> completionHandler)
{
    if (auto answer = scriptedAnswer(alert, true)) {
        if (completionHandler)
            completionHandler(*answer);
        return;
    }
    auto* dialog = new AlertDialog(alert.messageText(), alert.informativeText(), alert.buttonTitles(), window);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setWindowModality(Qt::WindowModal);
    QObject::connect(dialog, &QDialog::finished, dialog, [handler = std::move(completionHandler)](int answer) {
        if (handler)
            handler(answer);
    });
    dialog->show();
}

void Interaction::beginSheet(QWidget* window, QDialog* sheet)
{
    lastSheet_ = sheet;
    if (sheet->parentWidget() != window)
        sheet->setParent(window, sheet->windowFlags());
    sheet->setWindowModality(Qt::WindowModal);
    sheet->show();
    sheet->raise();
    sheet->activateWindow();
}

void Interaction::endSheet(QDialog* sheet, int returnCode)
{
    sheet->done(returnCode);
}

QFileDialog* Interaction::makeSavePanel(QWidget* window, const SavePanelOptions& options)
{
    auto* panel = new QFileDialog(window);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAcceptMode(QFileDialog::AcceptSave);
    panel->setFileMode(QFileDialog::AnyFile);
    panel->setWindowModality(Qt::WindowModal);
    panel->setWindowTitle(options.message);
    panel->setLabelText(QFileDialog::FileName, QStringLiteral("Save &As:"));
    panel->setLabelText(QFileDialog::Accept, QStringLiteral("Save"));
    panel->setNameFilter(QStringLiteral("*.%1").arg(options.allowedFileType));
    panel->setDefaultSuffix(options.allowedFileType);
    panel->setDirectory(options.directory);
    panel->selectFile(options.nameFieldStringValue);
    return panel;
}

QString Interaction::savePanelChoice(const SavePanelOptions& options, const QString& typed)
{
    QString file = QDir(options.directory).absoluteFilePath(typed);
    if (QFileInfo(file).suffix().isEmpty() && !options.allowedFileType.isEmpty())
        file += QLatin1Char('.') + options.allowedFileType;
    return file;
}

void Interaction::beginSavePanel(QWidget* window, const SavePanelOptions& options, SavePanelHandler completionHandler)
{
    // With nobody to click, an unattended run cancels the panel as a script with no name does.
    if (mode_ != Mode::Interactive) {
        savePanels_.append(options);
        if (savePanelNames_.empty()) {
            completionHandler(QString(), QString());
            return;
        }
        const QString file = savePanelChoice(options, savePanelNames_.front());
        savePanelNames_.pop_front();
        completionHandler(file, QFileInfo(file).absolutePath());
        return;
    }
    QFileDialog* panel = makeSavePanel(window, options);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(panel, &QDialog::finished, panel, [panel, handler = std::move(completionHandler)](int result) {
        const QStringList chosen = panel->selectedFiles();
        if (result == QDialog::Accepted && !chosen.isEmpty())
            // A path typed into the name field may lie in another folder than the one shown.
            handler(chosen.front(), QFileInfo(chosen.front()).absolutePath());
        else
            handler(QString(), QString());
    });
    panel->open();
}

void Interaction::beginOpenPanel(QWidget* window, const SavePanelOptions& options, OpenPanelHandler completionHandler)
{
    if (mode_ != Mode::Interactive) {
        if (openPanelNames_.empty()) {
            completionHandler(QString());
            return;
        }
        const QString file = QDir(options.directory).absoluteFilePath(openPanelNames_.front());
        openPanelNames_.pop_front();
        completionHandler(file);
        return;
    }
    auto* panel = new QFileDialog(window);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setWindowModality(Qt::WindowModal);
    panel->setWindowTitle(options.message);
    panel->setNameFilters({QStringLiteral("*.%1").arg(options.allowedFileType), QStringLiteral("*")});
    panel->setDirectory(options.directory);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    QObject::connect(panel, &QDialog::finished, panel, [panel, handler = std::move(completionHandler)](int result) {
        const QStringList chosen = panel->selectedFiles();
        handler(result == QDialog::Accepted && !chosen.isEmpty() ? chosen.front() : QString());
    });
    panel->open();
}

void Interaction::openURL(const QString& address)
{
    openedURLs_.append(address);
    if (mode_ == Mode::Interactive && !address.isEmpty())
        QDesktopServices::openUrl(QUrl(address));
}

void Interaction::terminate()
{
    ++terminateCount_;
    if (mode_ != Mode::Scripted)
        QCoreApplication::exit(0); // exit, not quit: quitting would ask each window to close first
}

} // namespace veltrona
