#include "services/WindowClosing.h"

namespace veltrona {

AlertText windowCloseConfirmation()
{
    return {"Alert", "Closing the window will quit the application.", {"Quit", "Cancel"}};
}

} // namespace veltrona
