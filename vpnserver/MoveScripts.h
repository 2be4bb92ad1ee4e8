#pragma once
// The privileged scripts that move a freshly written server file into the installation directory
// and give it to root.

#include "platform/PlatformPaths.h"

#include <string>
#include <vector>

namespace veltrona {

std::string serverFileMoveScript(const PlatformPaths& platform);
std::string jobFileMoveScript(const PlatformPaths& platform);

// "/bin/sh", "-c", the script, "" for $0, the file's path for $1: the path reaches the script
// as one unchanged argument, whatever it holds.
std::vector<std::string> moveScriptArguments(std::string script, std::string filePath);

} // namespace veltrona
