// VPN user accounts (accounts/): the list, creation, password reset and deletion. Their behaviour
// comes with a later issue; each is connected to its control already.
#include "app/WindowController.h"

namespace veltrona {

void WindowController::loadUserAccountsArray() {}
void WindowController::addUser(QObject*) {}
void WindowController::saveUser(QObject*) {}
void WindowController::handleDoubleClick(QObject*) {}
void WindowController::saveNewPassword(QObject*) {}
void WindowController::deleteUser(QObject*) {}
void WindowController::controlTextDidChange(QObject*) {}

} // namespace veltrona
