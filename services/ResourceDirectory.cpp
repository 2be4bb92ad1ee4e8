#include "services/ResourceDirectory.h"

#include <system_error>

namespace veltrona {

namespace {

namespace fs = std::filesystem;

bool holdsShellTool(const fs::path& folder)
{
    std::error_code ec;
    return fs::is_regular_file(folder / "shellTool", ec);
}

} // namespace

std::string findResourceDirectory(const fs::path& programFolder)
{
    const fs::path beside = programFolder / "Resources";
    if (holdsShellTool(beside))
        return beside.string();
    const fs::path installed = programFolder.parent_path() / kInstalledResourceFolder;
    if (holdsShellTool(installed))
        return installed.lexically_normal().string();
    return beside.string();
}

std::string findPlatformTool(const fs::path& programFolder)
{
    const fs::path beside = programFolder / "veltrona-platform";
    std::error_code ec;
    if (fs::is_regular_file(beside, ec))
        return beside.string();
    const fs::path installed = programFolder.parent_path() / kInstalledResourceFolder / "veltrona-platform";
    return fs::is_regular_file(installed, ec) ? installed.lexically_normal().string() : beside.string();
}

fs::path runningProgramFolder()
{
    std::error_code ec;
    const fs::path program = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path(ec) : program.parent_path();
}

} // namespace veltrona
