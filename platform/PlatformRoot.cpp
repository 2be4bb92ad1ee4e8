#include "platform/PlatformRoot.h"

#include <cstdlib>
#include <system_error>

namespace veltrona {

std::optional<std::filesystem::path> defaultPlatformRoot()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "veltrona" / "platform";
    if (const char* home = std::getenv("HOME"); home && *home == '/')
        return std::filesystem::path(home) / ".local" / "share" / "veltrona" / "platform";
    return std::nullopt;
}

bool isPlatformRoot(const std::filesystem::path& root)
{
    std::error_code ec;
    return std::filesystem::is_regular_file(root / std::string_view(kSystemVersionFile).substr(1), ec);
}

ResolvedRoot resolvePlatformRoot(const std::optional<std::string>& explicitRoot)
{
    std::string chosen;
    if (explicitRoot) {
        chosen = *explicitRoot;
    } else if (const char* env = std::getenv(kPlatformRootVariable); env) {
        chosen = env;
    } else if (const std::optional<std::filesystem::path> fallback = defaultPlatformRoot()) {
        chosen = fallback->string();
    } else {
        return {{},
                Status::failure(1, "There is no home folder (HOME is not set to an absolute path), so there is "
                                   "no default platform root. Choose one with --platform-root DIR.")};
    }
    if (chosen.empty())
        return {{}, Status::failure(1, "The platform root is empty.")};

    // Judged as resolved: a link to "/" is "/".
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::weakly_canonical(std::filesystem::absolute(chosen, ec), ec);
    if (ec)
        return {{}, Status::failure(1, "Cannot resolve the platform root " + chosen + ".")};
    std::string text = absolute.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    if (text == "/")
        return {{}, Status::failure(1, "The platform root cannot be \"/\".")};
    if (text.find(':') != std::string::npos)
        return {{},
                Status::failure(1, "The platform root " + text
                                       + " holds \":\", which would split the tools' PATH. "
                                         "Choose a folder without it.")};
    return {std::filesystem::path(text), Status::success()};
}

} // namespace veltrona
