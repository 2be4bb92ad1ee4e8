#pragma once
// Maps a path on the platform (the Mac's own "/Library/...") to a path on this machine.

#include <filesystem>
#include <string>
#include <string_view>

namespace veltrona {

class PlatformPaths {
public:
    // An empty root maps every path to itself (the real Mac's view; command texts are compared
    // against it). Emulated roots come from resolvePlatformRoot, which refuses "" and "/".
    explicit PlatformPaths(std::filesystem::path root = {});

    const std::filesystem::path& root() const { return root_; }
    // The root in front of an absolute platform path: "/Library/X" -> ROOT + "/Library/X".
    std::string map(std::string_view platformPath) const;

private:
    std::filesystem::path root_;
};

} // namespace veltrona
