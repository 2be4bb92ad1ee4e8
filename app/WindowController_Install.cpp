// First-run installation of the server files.
#include "app/WindowController.h"

#include "app/InstallationScript.h"
#include "services/CommandRunner.h"

#include <sys/stat.h>

namespace veltrona {

void WindowController::doSanityCheck()
{
    if (checkIfUnixPathExists(services_.paths.map(kInstallationDirectory)))
        return;
    CommandRunner& commands = runner();
    commands.setArgs(installationCommand(services_.paths));
    commands.startProcessGetResult();
}

bool WindowController::checkIfUnixPathExists(const std::string& path) const
{
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0;
}

} // namespace veltrona
