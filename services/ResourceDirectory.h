#pragma once
// Where a program finds its resource directory (shellTool and VPNStuff): beside it in the build,
// or in libexec/veltrona of the prefix it was installed into.

#include <filesystem>
#include <string>

namespace veltrona {

// The folder below an installation prefix that holds shellTool and VPNStuff.
inline constexpr const char* kInstalledResourceFolder = "libexec/veltrona";

// PROGRAM_FOLDER/Resources when it holds shellTool (the build), else PREFIX/libexec/veltrona when
// that does (an installed program in PREFIX/bin), else PROGRAM_FOLDER/Resources, so that a missing
// tool is reported where the build would put it.
std::string findResourceDirectory(const std::filesystem::path& programFolder);

// veltrona-platform, the tool that makes an emulated Mac: beside the program in the build, else in
// PREFIX/libexec/veltrona.
std::string findPlatformTool(const std::filesystem::path& programFolder);

// The folder of the running program (/proc/self/exe), for programs without a framework to ask.
std::filesystem::path runningProgramFolder();

} // namespace veltrona
