#pragma once
// The program's command-line options.

#include <QString>
#include <QStringList>

#include <optional>

namespace veltrona {

struct AppOptions {
    // --platform-root DIR: the emulated Mac to act on.
    std::optional<QString> platformRoot;
    // --login-password-stdin: log in from the sheet with the password on standard input's first line.
    bool loginPasswordFromStdin = false;
    // --screenshot FILE: once the window shows its contents, save a picture of it and quit.
    std::optional<QString> screenshotFile;
    // --quit-when-ready: quit as soon as the window (and the login sheet, if any) is on screen.
    bool quitWhenReady = false;
    // Set when the options were not understood; the text says why.
    QString error;
};

AppOptions parseAppOptions(const QStringList& arguments);
// The usage text for --help and for a mistake.
QString appUsage();

} // namespace veltrona
