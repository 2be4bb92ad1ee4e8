#pragma once
// De-installation: stop the server, remove the installed files and the shared secret's keychain
// item. The accounts, the remembered password, the user settings and saved profiles stay.

#include "foundation/Status.h"
#include "platform/PlatformPaths.h"
#include "services/AlertText.h"
#include "services/CommandRunner.h"

#include <string>
#include <vector>

namespace veltrona {

// Where installation links the server configuration file.
inline constexpr const char* kConfigurationLink =
    "/Library/Preferences/SystemConfiguration/com.apple.RemoteAccessServers.plist";

// "Are you sure ...", "De-Install" (1000: go ahead) then "Cancel".
AlertText deInstallConfirmation();

// Unloads the job when launchd lists it, removes the job's link and the installation directory.
std::string deInstallationScript(const PlatformPaths& platform);

// Removes the configuration link, but only when it is a symbolic link into the installation
// directory: "/bin/sh", "-c", the script, "" ($0), the link ($1), the directory ($2).
std::vector<std::string> configurationLinkRemovalArguments(const PlatformPaths& platform);

inline constexpr const char* kDeInstallJobStillLoaded =
    "The VPN server could not be stopped, so its files were left in place.";
inline constexpr const char* kDeInstallFilesLeft = "The server's files could not all be removed.";
inline constexpr const char* kDeInstallSecretLeft = "The shared secret could not be removed from the System keychain.";

// "Veltrona could not be de-installed" with the failure's text, and "OK".
AlertText deInstallFailure(const Status& failure);

// The confirmed de-installation: a loaded job is unloaded first, and when it stays loaded nothing
// is removed (launchd would go on running a job whose files are gone). Then the script, the
// keychain item's deletion and the configuration link's removal, each through the runner. The
// first step that did not take is the failure. Reloading the window's data stays with the caller.
Status deInstall(CommandRunner& runner, const PlatformPaths& platform);

} // namespace veltrona
