// settings and settings set: the window keeps unsaved settings in its fields until the next start;
// a command line has no fields, so a change is written into the installed server files at once,
// through the same road a start takes, without loading the job. --apply restarts a running server.
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/ServerFileWriter.h"
#include "vpnserver/SettingChange.h"
#include "vpnserver/VpnButton.h"

namespace veltrona::cli {

namespace {

Result showSettings(Session& session)
{
    const LoadedServerSettings current = installedSettings(session);
    const bool installed = isInstalled(session);
    std::string text = labelled("Installed", installed ? "yes" : "no") + settingsText(current.settings);
    return done(std::move(text), {{"installed", installed},
                                  {"settings", settingsJson(current.settings)},
                                  {"portForwardingInfo", current.portForwardingInfo}});
}

} // namespace

Result settingsCommand(Session& session, const CliOptions& options)
{
    if (options.words.size() == 1)
        return showSettings(session);

    // Every change is checked before anything is installed or written.
    ServerSettings scratch;
    for (std::size_t i = 2; i < options.words.size(); ++i) {
        if (Status changed = changeSetting(scratch, options.words[i]); !changed)
            return failed(kRefused, changed.message());
    }
    installIfNeeded(session);
    ServerSettings settings = settingsToWrite(session);
    for (std::size_t i = 2; i < options.words.size(); ++i)
        changeSetting(settings, options.words[i]);
    const VpnConfigResult written = vpnConfig(settings, session.locations(), session.runner());
    for (const Status* file : {&written.serverFile, &written.jobFile}) {
        if (!*file)
            return failed(kPlatformFailed, file->message());
    }
    // What is installed is the truth, as the window's reload shows it (lists come back joined by ", ").
    const ServerSettings installed = installedSettings(session).settings;
    if (installed.type != settings.type || installed.vpnHost != settings.vpnHost
        || installed.startIPAddress != settings.startIPAddress || installed.endIPAddress != settings.endIPAddress)
        return failed(kPlatformFailed, "The server files were not installed; they still hold the earlier settings.");

    bool restarted = false;
    if (options.flags.contains("--apply") && isJobLoaded(session.runner())) {
        const CheckedVpnAction performed =
            performCheckedVPNAction(kRestartVPNTitle, settings, session.locations(), session.runner());
        restarted = true;
        if (!performed.outcome && performed.outcome.message() == kServerDidNotStop)
            return failed(kPlatformFailed, "The settings are written, but the VPN server did not stop to restart.");
        if (!performed.outcome || !isJobLoaded(session.runner()))
            return failed(kPlatformFailed, "The settings are written, but the VPN server did not start again.");
    }
    std::string note = restarted ? "The settings are written and the VPN server is restarted."
                       : isJobLoaded(session.runner())
                           ? "The settings are written; they take effect at the next restart."
                           : "The settings are written; they take effect at the next start.";
    return done(settingsText(installed) + "\n" + note,
                {{"settings", settingsJson(installed)}, {"restarted", restarted}});
}

} // namespace veltrona::cli
