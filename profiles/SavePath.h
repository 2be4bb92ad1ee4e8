#pragma once
// The save dialog's starting folder, kept in the user default savePath as the platform sees it.

#include "platform/PlatformPaths.h"

#include <string>
#include <string_view>

namespace veltrona {

// The folder on this machine where the dialog opens: `savePath` with a leading "~" standing for
// the user's home (a platform path such as "/Users/alice"). A value that names no folder any more
// (deleted, or not a path at all) opens the home folder instead.
std::string saveDialogFolder(const PlatformPaths& platform, std::string_view savePath, std::string_view homeDirectory);

// What savePath keeps for the folder the dialog ended in: its platform path when it lies on the
// platform, else the folder as it is.
std::string savePathForFolder(const PlatformPaths& platform, std::string_view folder);

} // namespace veltrona
