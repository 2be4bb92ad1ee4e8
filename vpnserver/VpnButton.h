#pragma once
// The start/restart/stop button: its title is both the server's state and the next action.

#include "foundation/Status.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/ServerFileWriter.h"
#include "vpnserver/ServerSettings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

inline constexpr std::string_view kStartVPNTitle = "Start VPN";
inline constexpr std::string_view kRestartVPNTitle = "Restart VPN";
inline constexpr std::string_view kStopVPNTitle = "Stop VPN";
inline constexpr std::string_view kStopVPNToolTip = "Option-click to Stop VPN";
// The Option key's bit in an event's modifier flags, the Mac's layout.
inline constexpr std::uint64_t kOptionKeyMask = 0x80000;

// Image names of the two status lights.
inline constexpr std::string_view kLightOn = "green";
inline constexpr std::string_view kLightOff = "red";

struct VpnButtonState {
    std::string title;
    std::string toolTip;
    std::string lightImage;
    bool operator==(const VpnButtonState&) const = default;
};

// Stopped for an empty probe result, running for any other text.
VpnButtonState buttonStateForProbeResult(std::string_view probeResult);
// Runs the job probe and gives the state it shows (`checkStatusLights:`).
VpnButtonState checkStatusLights(CommandRunner& runner);

// The title after a change of the modifier keys, or nothing when it stays: Option turns
// "Restart VPN" into "Stop VPN" while held.
std::optional<std::string> titleForModifierFlags(std::uint64_t modifierFlags, std::string_view currentTitle);

// What a click on the button does, by its title; an unknown title does none of it.
enum class VpnStep { SanityCheck, WriteSettings, StopJob, StartJob };
std::vector<VpnStep> stepsForTitle(std::string_view title);

// Runs the steps for the title in order, all through the runner: the installation check (the
// installation command when the installation directory is missing), writing `settings` into both
// server files, stopping and starting the job. Reloading and refreshing stay with the caller.
// How the writes fared, when the title wrote the settings.
std::optional<VpnConfigResult> performVPNAction(std::string_view title, const ServerSettings& settings,
                                                const ServerFileLocations& locations, CommandRunner& runner);

inline constexpr const char* kServerDidNotStop = "The VPN server did not stop.";
inline constexpr const char* kServerDidNotStart = "The VPN server did not start.";

struct CheckedVpnAction {
    std::optional<VpnConfigResult> written;
    // The first stop or start that did not take (the job probe says so), else success.
    Status outcome;
};
// As performVPNAction, with the job probe after each stop and start: a stop that left the job
// loaded ends the action there (a restart would report the old server as the new one).
CheckedVpnAction performCheckedVPNAction(std::string_view title, const ServerSettings& settings,
                                         const ServerFileLocations& locations, CommandRunner& runner);

} // namespace veltrona
