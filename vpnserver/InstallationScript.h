#pragma once
// The first-run installation: the installation directory, and the script that fills it from the
// resource folder and links the two server files into the system's folders.

#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h" // kInstallationDirectory

#include <string>
#include <vector>

namespace veltrona {

class PlatformPaths;

// The script, with the platform's paths mapped. A mapped path that the shell would not read as
// one word as it stands (a platform root with a blank in it) is single-quoted; the Mac's own
// paths never are, so with an empty root the text is the Mac's exactly.
std::string installationScript(const PlatformPaths& paths);

// "/bin/sh", "-c", the script, "" ($0) and the resource folder ($1).
std::vector<std::string> installationCommand(const PlatformPaths& paths);

// Whether a path of this machine names any existing file-system object (symbolic links followed).
bool unixPathExists(const std::string& path);

// The installation check (`doSanityCheck`): runs the installation command through the runner when
// the installation directory is missing, and says whether it did.
bool installIfMissing(const PlatformPaths& paths, CommandRunner& runner);

} // namespace veltrona
