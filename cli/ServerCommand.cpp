// start, restart and stop: the window's button, its title chosen from the command and the state.
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/VpnButton.h"

namespace veltrona::cli {

namespace {

Result stateResult(const std::string& action, bool changed, bool running, std::string text)
{
    return done(std::move(text), {{"action", action}, {"changed", changed}, {"running", running}});
}

} // namespace

Result serverCommand(Session& session, const std::string& action)
{
    CommandRunner& runner = session.runner();
    const bool wasRunning = isJobLoaded(runner);
    if (action == "stop" && !wasRunning)
        return stateResult(action, false, false, "The VPN server is not running.");
    if (action == "start" && wasRunning)
        return stateResult(action, false, true, "The VPN server is already running.");

    // A restart of a stopped server is a start, with the installation check the start runs.
    std::string_view title = kStopVPNTitle;
    if (action != "stop")
        title = wasRunning ? kRestartVPNTitle : kStartVPNTitle;
    // Installing first, so the settings written are the installed ones, not empty fields.
    if (title == kStartVPNTitle)
        installIfNeeded(session);
    const CheckedVpnAction performed =
        performCheckedVPNAction(title, settingsToWrite(session), session.locations(), runner);

    const bool running = isJobLoaded(runner);
    const bool wanted = action != "stop";
    // A restart whose stop failed ends with the job loaded, as wanted, yet nothing was restarted.
    if (!performed.outcome || running != wanted)
        return failed(kPlatformFailed,
                      !performed.outcome ? performed.outcome.message()
                      : wanted           ? kServerDidNotStart
                                         : kServerDidNotStop,
                      {{"action", action}, {"changed", running != wasRunning}, {"running", running}});
    const char* text = action == "stop"                    ? "The VPN server is stopped."
                       : action == "restart" && wasRunning ? "The VPN server is restarted."
                                                           : "The VPN server is running.";
    return stateResult(action, true, running, text);
}

} // namespace veltrona::cli
