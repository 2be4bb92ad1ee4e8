#pragma once
// What the server part of the window shows, for the window-server tests: the two router advice
// texts, and the button's title and tool tip with the light's image by name.

#include "app/AppResources.h"
#include "app/WindowController.h"
#include "tests/app/QtPrinting.h"

#include <QLabel>
#include <QPushButton>

#include <ostream>

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
inline const Shown kRunning{QStringLiteral("Restart VPN"), QStringLiteral("Option-click to Stop VPN"), QStringLiteral("green")};
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

} // namespace veltrona::test
