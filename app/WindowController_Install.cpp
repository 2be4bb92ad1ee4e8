// First-run installation of the server files, and de-installation.
#include "app/WindowController.h"

#include "app/AlertFromText.h"
#include "app/Interaction.h"
#include "app/MainWindow.h"
#include "vpnserver/DeInstallation.h"
#include "vpnserver/InstallationScript.h"

namespace veltrona {

void WindowController::doSanityCheck()
{
    // The runner is asked for only when there is something to install.
    if (checkIfUnixPathExists(services_.paths.map(kInstallationDirectory)))
        return;
    installIfMissing(services_.paths, runner());
}

bool WindowController::checkIfUnixPathExists(const std::string& path) const
{
    return unixPathExists(path);
}

void WindowController::deInstall(QObject* /*sender*/)
{
    alertFromText(services_.interaction, deInstallConfirmation()).beginSheetModalForWindow(window_, [this](int answer) {
        if (answer != NSAlertFirstButtonReturn)
            return;
        startProgress();
        const Status removed = veltrona::deInstall(runner(), services_.paths);
        stopProgress();
        // The window shows what is left: no settings, a stopped server, the accounts.
        reloadData(nullptr);
        if (!removed)
            alertFromText(services_.interaction, deInstallFailure(removed)).runModal();
    });
}

} // namespace veltrona
