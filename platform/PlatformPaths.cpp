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
