#pragma once
// Copying the built stand-in tools (launchctl, dscl, security, sudo, chown) into a platform root.

#include "foundation/Status.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// The folder the tools are built into: mac-tools/ beside the running executable.
std::filesystem::path defaultStandInToolsFolder();

// Copies each tool found in `toolsFolder` to its place in the root (bin/launchctl,
// usr/bin/dscl, usr/bin/security, usr/bin/sudo, usr/sbin/chown), replacing older copies atomically. A tool not
// built yet is skipped with a line in `notes`.
Status installStandInTools(const std::filesystem::path& root, const std::filesystem::path& toolsFolder,
                           std::vector<std::string>& notes);

// The same from the default folder, for a command line: each note and a failure go to `err` as
// lines "PREFIX: ...". False when the tools could not be installed.
bool installStandInToolsReporting(const std::filesystem::path& root, std::string_view prefix, std::ostream& err);

} // namespace veltrona
