#pragma once
// The Mac's flagsChanged: for a Qt window: watches the modifier keys pressed and released while one
// of the window's own controls has the keyboard (and let go anywhere), and reports the flags held
// afterwards, in the Mac's bit layout (Option = 0x80000).

#include "vpnserver/VpnButton.h" // kOptionKeyMask

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <functional>

class QKeyEvent;

namespace veltrona {

inline constexpr std::uint64_t kShiftKeyMask = 0x20000;
inline constexpr std::uint64_t kControlKeyMask = 0x40000;
// Option (Alt) is kOptionKeyMask, 0x80000, the one bit the button acts on.
inline constexpr std::uint64_t kCommandKeyMask = 0x100000;

// The Mac modifier flags held once the event has been handled: a modifier's own press counts as
// held and its release as let go, whatever the platform reports in the event.
std::uint64_t modifierFlagsAfter(const QKeyEvent& event);

class ModifierFlagsFilter : public QObject {
public:
    using Handler = std::function<void(std::uint64_t modifierFlags)>;
    // Watches the whole application (key events go to the focused control, not to the window) and
    // passes on what reaches the window's own controls; elsewhere (a menu, a sheet) only a release
    // that leaves Option up, and a menu of the window closing counts as all keys let go. The
    // window is followed until it is destroyed. Every event goes on unchanged.
    ModifierFlagsFilter(QObject* parent, QWidget* window, Handler handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
    Handler handler_;
};

} // namespace veltrona
