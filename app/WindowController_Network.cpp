// Network address suggestion (network/). Its behaviour comes with a later issue; it is connected
// to its controls already.
#include "app/WindowController.h"

namespace veltrona {

void WindowController::suggestIPAddresses(QObject*) {}

} // namespace veltrona
