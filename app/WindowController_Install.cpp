// First-run installation of the server files (Part 1.1), and de-installation (Part 1.4), whose
// behaviour comes with a later issue.
#include "app/WindowController.h"

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

void WindowController::deInstall(QObject*) {}

} // namespace veltrona
