// First-run installation of the server files.
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

} // namespace veltrona
