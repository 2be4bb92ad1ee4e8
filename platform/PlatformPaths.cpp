#include "platform/PlatformPaths.h"

namespace veltrona {

PlatformPaths::PlatformPaths(std::filesystem::path root) : root_(std::move(root))
{
    // Keep one spelling so mapped texts never hold "//".
    std::string text = root_.string();
    while (text.size() > 1 && text.back() == '/')
        text.pop_back();
    root_ = text;
}

std::string PlatformPaths::map(std::string_view platformPath) const
{
    return root_.string() + std::string(platformPath);
}

} // namespace veltrona

namespace veltrona {

namespace {

bool insideRoot(const std::string& root, std::string_view path)
{
    return !root.empty() && path.size() >= root.size() && path.substr(0, root.size()) == root
           && (path.size() == root.size() || path[root.size()] == '/');
}

} // namespace

std::optional<std::string> PlatformPaths::hostPath(std::string_view given) const
{
    if (given.empty())
        return std::nullopt;
    std::filesystem::path path{std::string(given)};
    for (const auto& part : path)
        if (part == "..")
            return std::nullopt;
    if (path.is_relative()) {
        std::error_code ec;
        path = std::filesystem::absolute(path, ec);
        if (ec)
            return std::nullopt;
    }
    std::string text = path.lexically_normal().string();
    if (insideRoot(root_.string(), text))
        return text;
    return map(text);
}

std::string PlatformPaths::platformPath(std::string_view hostPath) const
{
    const std::string root = root_.string();
    if (insideRoot(root, hostPath) && hostPath.size() > root.size())
        return std::string(hostPath.substr(root.size()));
    return std::string(hostPath);
}

} // namespace veltrona
