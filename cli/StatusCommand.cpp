// status: installed or not, the type, whether the job is loaded and serves, the settings, the VPN
// accounts.
#include "cli/AccountView.h"
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/ServingState.h"
#include "vpnserver/SharedSecret.h"

namespace veltrona::cli {

Result statusCommand(Session& session)
{
    const bool installed = isInstalled(session);
    const bool loaded = isJobLoaded(session.runner());
    const ServingState serving = servingState(session.runner(), session.paths());
    LoadedServerSettings current = installedSettings(session);
    // Set is what racoon finds in the System keychain, whatever the file's copy says.
    current.settings.sharedSecret = storedSharedSecret(session.paths(), session.runner());
    const std::optional<std::vector<AccountRecord>> accounts = listVpnAccounts(session);
    if (!accounts)
        return failed(kPlatformFailed, kListingUnreadable);

    std::string text = labelled("Installed", installed ? "yes" : "no")
                       + labelled("Job loaded", loaded ? "yes (the VPN server is running)" : "no")
                       + labelled("Serving", serving.text()) + settingsText(current.settings) + "\n"
                       + labelled("VPN accounts", std::to_string(accounts->size()));
    text.pop_back();
    return done(std::move(text), {{"installed", installed},
                                  {"type", current.settings.type},
                                  {"loaded", loaded},
                                  {"serving", Json::object({{"active", serving.serving}, {"detail", serving.detail}})},
                                  {"settings", settingsJson(current.settings)},
                                  {"accounts", accounts->size()}});
}

} // namespace veltrona::cli
