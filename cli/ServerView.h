#pragma once
// The server's state as the commands show it, and the steps several of them share.

#include "cli/Json.h"
#include "cli/Session.h"
#include "vpnserver/ServerSettings.h"

#include <string>
#include <string_view>

namespace veltrona::cli {

// Whether the installation directory exists.
bool isInstalled(Session& session);
// The first-run installation, as the window runs it after login; says whether it was needed.
bool installIfNeeded(Session& session);

// The installed settings, as the window loads them.
LoadedServerSettings installedSettings(Session& session);
// The settings a start or a change writes: the installed ones, where the job file names no type
// the menu's first, L2TP, as the window would write it.
ServerSettings settingsToWrite(Session& session);

// "Label:" padded to one column for every value, then the value, then a line break.
std::string labelled(std::string_view label, std::string_view value);

// The settings without the shared secret, which is only said to be set or not.
Json settingsJson(const ServerSettings& settings);
std::string settingsText(const ServerSettings& settings);

} // namespace veltrona::cli
