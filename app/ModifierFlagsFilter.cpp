#include "app/ModifierFlagsFilter.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>

namespace veltrona {

namespace {

std::uint64_t maskOfKey(int key)
{
    switch (key) {
    case Qt::Key_Shift: return kShiftKeyMask;
    case Qt::Key_Control: return kControlKeyMask;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return kOptionKeyMask;
    case Qt::Key_Meta: return kCommandKeyMask;
    default: return 0;
    }
}

bool belongsTo(QObject* watched, const QWidget* window)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return window != nullptr && widget != nullptr && widget->window() == window;
}

} // namespace

std::uint64_t modifierFlagsAfter(const QKeyEvent& event)
{
    const Qt::KeyboardModifiers modifiers = event.modifiers();
    std::uint64_t flags = 0;
    if (modifiers & Qt::ShiftModifier)
        flags |= kShiftKeyMask;
    if (modifiers & Qt::ControlModifier)
        flags |= kControlKeyMask;
    if (modifiers & Qt::AltModifier)
        flags |= kOptionKeyMask;
    if (modifiers & Qt::MetaModifier)
        flags |= kCommandKeyMask;
    // Platforms differ on whether a modifier's own event already shows it changed.
    const std::uint64_t own = maskOfKey(event.key());
    if (event.type() == QEvent::KeyPress)
        flags |= own;
    else
        flags &= ~own;
    return flags;
}

ModifierFlagsFilter::ModifierFlagsFilter(QObject* parent, QWidget* window, Handler handler)
    : QObject(parent), window_(window), handler_(std::move(handler))
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->installEventFilter(this);
    // Alt and a menu's mnemonic open the menu, which then has the keyboard: Alt may be let go
    // where this filter never hears it. A closing menu ends the Option state, as a lost keyboard does.
    if (window != nullptr) {
        for (QMenu* menu : window->findChildren<QMenu*>())
            connect(menu, &QMenu::aboutToHide, this, [this] { handler_(0); });
    }
}

bool ModifierFlagsFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::KeyRelease) {
        const auto& key = static_cast<const QKeyEvent&>(*event);
        // Only a modifier's own press or release is a change of the flags, as on the Mac.
        if (maskOfKey(key.key()) == 0)
            return false;
        const std::uint64_t flags = modifierFlagsAfter(key);
        if (belongsTo(watched, window_))
            handler_(flags);
        else if (type == QEvent::KeyRelease && (flags & kOptionKeyMask) == 0)
            // Let go anywhere else in the application (an open menu, a sheet): that can end the
            // Option state, never begin it.
            handler_(flags);
    } else if (type == QEvent::WindowDeactivate && watched == window_.data()) {
        // Keys let go while another window has the keyboard never reach this one.
        handler_(0);
    }
    return false;
}

} // namespace veltrona
