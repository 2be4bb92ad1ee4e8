// The loaders and actions whose behaviour comes with the server, account, network and profile
// parts. Each is connected to its control already; each file that brings one removes it here.
#include "app/WindowController.h"

namespace veltrona {

void WindowController::loadUserAccountsArray() {}
// Until the closing question exists, closing the window quits as it always has.
bool WindowController::windowShouldClose(QObject*) { return true; }
void WindowController::showSharedSecretPanel(QObject*) {}
void WindowController::closeSharedSecretPanel(QObject*) {}
void WindowController::addUser(QObject*) {}
void WindowController::saveUser(QObject*) {}
void WindowController::handleDoubleClick(QObject*) {}
void WindowController::saveNewPassword(QObject*) {}
void WindowController::deleteUser(QObject*) {}
void WindowController::controlTextDidChange(QObject*) {}
void WindowController::suggestIPAddresses(QObject*) {}
void WindowController::saveMobileConfigProfile(QObject*) {}
void WindowController::checkForUpdates(QObject*) {}
void WindowController::loadURL(QObject*) {}
void WindowController::deInstall(QObject*) {}

} // namespace veltrona
