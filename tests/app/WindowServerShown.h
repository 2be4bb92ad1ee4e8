#pragma once
// What the server part of the window shows, for the window-server tests: the two router advice
// texts, the button's title and tool tip with the light's image by name, and the kind of each
// command run.

#include "app/AppResources.h"
#include "app/WindowController.h"
#include "tests/app/QtPrinting.h"
#include "tests/support/RecordingRunner.h"

#include <QLabel>
#include <QPushButton>

#include <filesystem>
#include <ostream>
#include <string>

namespace veltrona::test {

inline const QString kL2TPAdvice = QStringLiteral(
    "If you\u2019re running the VPN Server on a local network behind a router, set the router to forward UDP "
    "ports 500, 1701, and 4500 to the IP address of this VPN Server machine. If you're lucky and have a nice "
    "smart router, there is no Step 4.");
inline const QString kPPTPAdvice = QStringLiteral(
    "If you\u2019re running the VPN Server on a local network behind a router, set the router to forward UDP "
    "port 1703 to the IP address of this VPN Server machine. If you're lucky and have a nice smart router, "
    "there is no Step 4.");

// What the button and the light show.
struct Shown {
    QString title;
    QString toolTip;
    QString light;
    bool operator==(const Shown&) const = default;
};

inline void PrintTo(const Shown& shown, std::ostream* out)
{
    *out << '{' << shown.title.toStdString() << " | " << shown.toolTip.toStdString() << " | "
         << shown.light.toStdString() << '}';
}

inline const Shown kStopped{QStringLiteral("Start VPN"), QString(), QStringLiteral("red")};
inline const Shown kRunning{QStringLiteral("Restart VPN"), QStringLiteral("Option-click to Stop VPN"),
                            QStringLiteral("green")};
inline const Shown kRunningWithOption{QStringLiteral("Stop VPN"), kRunning.toolTip, kRunning.light};

inline QString lightOf(const QLabel* light)
{
    const QImage shown = light->pixmap().toImage();
    for (const QString& name : {QStringLiteral("red"), QStringLiteral("green")}) {
        if (shown == imageNamed(name).toImage())
            return name;
    }
    return QStringLiteral("?");
}

inline Shown shownBy(const WindowController& window)
{
    return {window.vpnButton->text(), window.vpnButton->toolTip(), lightOf(window.vpnLight)};
}

// What a recorded run was, by its script: "install", "unload", "load", "probe", or "move" and the
// file moved.
// The one line a start logs on an emulated Mac without a shared secret (issue 18).
inline const std::string kNoSecretCheckLine =
    "The setup check \"Shared secret\" failed: Set a shared secret of at least 8 characters.";

inline std::string kindOfRun(const RecordingRunner::Arguments& run)
{
    const std::string script = run.size() > 2 ? run[2] : std::string();
    const auto has = [&script](const char* text) { return script.find(text) != std::string::npos; };
    // The setup checks a start runs first, reading only.
    if (has("dscl -plist . readall /users"))
        return "check accounts";
    if (has("dig @"))
        return "check dns";
    if (has("/proc/net/udp"))
        return "check ports";
    if (has("id -u;"))
        return "check serving here";
    if (has("launchctl unload -w"))
        return "unload";
    if (has("launchctl load -w"))
        return "load";
    if (has("launchctl list"))
        return "probe";
    if (has("mkdir -p"))
        return "install";
    if (has("mv \"$fileAtPath\"") && run.size() == 5)
        return "move " + std::filesystem::path(run[4]).filename().string();
    return "unknown: " + script;
}

} // namespace veltrona::test
