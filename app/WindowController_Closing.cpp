// The main window's closing (Part 1.2).
#include "app/WindowController.h"

namespace veltrona {

// Until the closing question exists, closing the window quits as it always has.
bool WindowController::windowShouldClose(QObject*) { return true; }

} // namespace veltrona
