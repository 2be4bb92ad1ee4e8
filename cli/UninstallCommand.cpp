// uninstall --yes: the window's de-installation, --yes in place of its confirmation.
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "vpnserver/DeInstallation.h"
#include "vpnserver/ServerControl.h"

namespace veltrona::cli {

Result uninstallCommand(Session& session, const CliOptions& options)
{
    if (!options.flags.contains("--yes")) {
        const AlertText question = deInstallConfirmation();
        return failed(kRefused,
                      question.messageText + "\n" + question.informativeText + "\nRun again with --yes to de-install.");
    }
    if (const Status removed = deInstall(session.runner(), session.paths()); !removed)
        return failed(kPlatformFailed, removed.message(), {{"installed", isInstalled(session)}});
    if (isInstalled(session) || isJobLoaded(session.runner()))
        return failed(kPlatformFailed, "The de-installation left the server's files or its job in place.");
    return done("Veltrona's server files and shared secret are removed; the VPN accounts stay.",
                {{"installed", false}});
}

} // namespace veltrona::cli
