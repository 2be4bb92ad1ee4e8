#pragma once
// De-installation: stop the server, remove the installed files and the shared secret's keychain
// item. The accounts, the remembered password, the user settings and saved profiles stay.

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

// The confirmed de-installation: the script, the keychain item's deletion, then the configuration
// link's removal, each through the runner; what they print is not looked at. Reloading the
// window's data stays with the caller.
void deInstall(CommandRunner& runner, const PlatformPaths& platform);

} // namespace veltrona
