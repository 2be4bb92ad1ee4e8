#pragma once
// Closing the main window quits the application, and only after the user confirms.

#include "services/AlertText.h"

namespace veltrona {

// "Alert", "Closing the window will quit the application.", then "Quit" (1000: terminate) and
// "Cancel" (nothing happens).
AlertText windowCloseConfirmation();

} // namespace veltrona
