#include "app/AppOptions.h"

namespace veltrona {

AppOptions parseAppOptions(const QStringList& arguments)
{
    AppOptions options;
    // Not QCommandLineParser: it exits the process on --help, and tests parse in-process.
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 < arguments.size())
                return arguments.at(++i);
            options.error = QStringLiteral("%1 needs a value.").arg(argument);
            return std::nullopt;
        };
        if (argument == QStringLiteral("--platform-root")) {
            options.platformRoot = value();
        } else if (argument.startsWith(QStringLiteral("--platform-root="))) {
            options.platformRoot = argument.section(QLatin1Char('='), 1);
        } else if (argument == QStringLiteral("--login-password-stdin")) {
            options.loginPasswordFromStdin = true;
        } else if (argument == QStringLiteral("--screenshot")) {
            options.screenshotFile = value();
        } else if (argument == QStringLiteral("--quit-when-ready")) {
            options.quitWhenReady = true;
        } else if (argument == QStringLiteral("--help") || argument == QStringLiteral("-h")) {
            options.error = QStringLiteral("help");
        } else if (argument.startsWith(QLatin1Char('-'))) {
            // Qt's own options (-platform, -style ...) are taken out by QApplication before this.
            options.error = QStringLiteral("Unknown option %1.").arg(argument);
        } else {
            options.error = QStringLiteral("Unexpected argument %1.").arg(argument);
        }
        if (!options.error.isEmpty())
            break;
    }
    return options;
}

QString appUsage()
{
    return QStringLiteral(
        "Usage: Veltrona [--platform-root DIR] [--login-password-stdin] [--screenshot FILE] [--quit-when-ready]\n"
        "\n"
        "  --platform-root DIR     act on the emulated Mac in DIR (default: $VELTRONA_PLATFORM_ROOT,\n"
        "                          else the per-user one, made on first use)\n"
        "  --login-password-stdin  log in with the password on the first line of standard input\n"
        "  --screenshot FILE       save a PNG picture of the window once it is filled in, then quit\n"
        "  --quit-when-ready       quit as soon as the window and the login sheet are on screen\n");
}

} // namespace veltrona
