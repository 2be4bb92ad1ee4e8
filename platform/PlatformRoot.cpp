#include "platform/PlatformRoot.h"

#include <cstdlib>
#include <system_error>

namespace veltrona {

std::filesystem::path defaultPlatformRoot()
{
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg == '/')
        return std::filesystem::path(xdg) / "veltrona" / "platform";
    const char* home = std::getenv("HOME");
    std::filesystem::path base = (home && *home) ? std::filesystem::path(home) : std::filesystem::path("/tmp");
    return base / ".local" / "share" / "veltrona" / "platform";
}

ResolvedRoot resolvePlatformRoot(const std::optional<std::string>& explicitRoot)
{
    std::string chosen;
    if (explicitRoot) {
        chosen = *explicitRoot;
    } else if (const char* env = std::getenv(kPlatformRootVariable); env) {
        chosen = env;
    } else {
        chosen = defaultPlatformRoot().string();
    }
    if (chosen.empty())
        return {{}, Status::failure(1, "The platform root is empty.")};

    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(chosen, ec);
    if (ec)
        return {{}, Status::failure(1, "Cannot resolve the platform root " + chosen + ".")};
    absolute = absolute.lexically_normal();
    std::string text = absolute.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    if (text == "/")
        return {{}, Status::failure(1, "The platform root cannot be \"/\".")};
    return {std::filesystem::path(text), Status::success()};
}

} // namespace veltrona
