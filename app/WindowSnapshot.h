#pragma once
// A picture of the main window as the user sees it: with a sheet that is open drawn over its top,
// where a Mac shows it.

#include <QImage>

namespace veltrona {

class WindowController;

QImage snapshotOfWindow(const WindowController& controller);

} // namespace veltrona
