#include "app/Interaction.h"

#include "app/Alert.h"
#include "app/AlertDialog.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
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
