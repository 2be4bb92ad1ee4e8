// The main window's closing: the window is the application, so closing it asks whether to quit.
// Quitting stops nothing and writes nothing: a running server keeps running under launchd.
#include "app/WindowController.h"

#include "app/AlertFromText.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "services/WindowClosing.h"

namespace veltrona {

bool WindowController::windowShouldClose(QObject* /*sender*/)
{
    Interaction& interaction = services_.interaction;
    alertFromText(interaction, windowCloseConfirmation()).beginSheetModalForWindow(window_, [&interaction](int answer) {
        if (answer == NSAlertFirstButtonReturn)
            interaction.terminate();
    });
    // Never closes by this road: the answer, when it comes, quits the whole application.
    return false;
}

} // namespace veltrona
