#include "vpnserver/VpnButton.h"

#include "vpnserver/InstallationScript.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/ServerFileWriter.h"

namespace veltrona {

VpnButtonState buttonStateForProbeResult(std::string_view probeResult)
{
    if (probeResult.empty())
        return {std::string(kStartVPNTitle), std::string(), std::string(kLightOff)};
    return {std::string(kRestartVPNTitle), std::string(kStopVPNToolTip), std::string(kLightOn)};
}

VpnButtonState checkStatusLights(CommandRunner& runner)
{
    runner.setArgs(shellCommandArguments(jobProbeCommand()));
    return buttonStateForProbeResult(runner.startProcessGetResult());
}

std::optional<std::string> titleForModifierFlags(std::uint64_t modifierFlags, std::string_view currentTitle)
{
    const bool optionHeld = (modifierFlags & kOptionKeyMask) != 0;
    if (optionHeld && currentTitle == kRestartVPNTitle)
        return std::string(kStopVPNTitle);
    if (!optionHeld && currentTitle == kStopVPNTitle)
        return std::string(kRestartVPNTitle);
    return std::nullopt;
}

std::vector<VpnStep> stepsForTitle(std::string_view title)
{
    if (title == kStartVPNTitle)
        return {VpnStep::SanityCheck, VpnStep::WriteSettings, VpnStep::StartJob};
    if (title == kStopVPNTitle)
        return {VpnStep::StopJob};
    if (title == kRestartVPNTitle)
        return {VpnStep::StopJob, VpnStep::WriteSettings, VpnStep::StartJob};
    return {};
}

std::optional<VpnConfigResult> performVPNAction(std::string_view title, const ServerSettings& settings,
                                                const ServerFileLocations& locations, CommandRunner& runner)
{
    std::optional<VpnConfigResult> written;
    for (VpnStep step : stepsForTitle(title)) {
        switch (step) {
        case VpnStep::SanityCheck: installIfMissing(locations.platform(), runner); break;
        case VpnStep::WriteSettings: written = vpnConfig(settings, locations, runner); break;
        case VpnStep::StopJob: runStopCommand(runner, locations.platform()); break;
        case VpnStep::StartJob: runStartCommand(runner, locations.platform()); break;
        }
    }
    return written;
}

CheckedVpnAction performCheckedVPNAction(std::string_view title, const ServerSettings& settings,
                                         const ServerFileLocations& locations, CommandRunner& runner)
{
    CheckedVpnAction result;
    for (VpnStep step : stepsForTitle(title)) {
        switch (step) {
        case VpnStep::SanityCheck: installIfMissing(locations.platform(), runner); break;
        case VpnStep::WriteSettings: result.written = vpnConfig(settings, locations, runner); break;
        case VpnStep::StopJob:
            runStopCommand(runner, locations.platform());
            if (isJobLoaded(runner)) {
                result.outcome = Status::failure(3, kServerDidNotStop);
                return result;
            }
            break;
        case VpnStep::StartJob:
            runStartCommand(runner, locations.platform());
            if (!isJobLoaded(runner)) {
                result.outcome = Status::failure(3, kServerDidNotStart);
                return result;
            }
            break;
        }
    }
    return result;
}

} // namespace veltrona
