// The update check and the web links (Part 1.3). Their behaviour comes with a later issue; each is
// connected to its menu item already.
#include "app/WindowController.h"

namespace veltrona {

void WindowController::checkForUpdates(QObject*) {}
void WindowController::loadURL(QObject*) {}

} // namespace veltrona
