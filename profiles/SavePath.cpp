#include "profiles/SavePath.h"

#include <filesystem>
#include <optional>

namespace veltrona {

namespace {

bool isFolder(const std::string& path)
{
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

} // namespace

std::string saveDialogFolder(const PlatformPaths& platform, std::string_view savePath, std::string_view homeDirectory)
{
    const std::string home = platform.map(homeDirectory);
    std::string expanded(savePath);
    if (expanded == "~" || expanded.starts_with("~/"))
        expanded = std::string(homeDirectory) + expanded.substr(1);
    if (!expanded.starts_with('/') || expanded.find("/..") != std::string::npos)
        return home;
    if (const std::optional<std::string> mapped = platform.hostPath(expanded); mapped && isFolder(*mapped))
        return *mapped;
    // A folder chosen outside the platform was kept as it is.
    if (isFolder(expanded))
        return expanded;
    return home;
}

std::string savePathForFolder(const PlatformPaths& platform, std::string_view folder)
{
    return platform.platformPath(folder);
}

} // namespace veltrona
