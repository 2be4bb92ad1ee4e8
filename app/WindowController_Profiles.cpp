// Client profile export (profiles/). Its behaviour comes with a later issue; it is connected to its
// controls already.
#include "app/WindowController.h"

namespace veltrona {

void WindowController::saveMobileConfigProfile(QObject*) {}

} // namespace veltrona
