#pragma once
// Maps a path on the platform (the Mac's own "/Library/...") to a path on this machine.

#include <filesystem>
#include <optional>
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

    // A path handed to a stand-in tool, as a path on this machine: one inside the root is kept,
    // another absolute one is taken as a platform path and mapped, a relative one is first made
    // absolute. Nothing when any component is "..", so no path reaches outside the root.
    std::optional<std::string> hostPath(std::string_view given) const;
    // The platform's view of a path on this machine: the root taken off when it is inside it.
    std::string platformPath(std::string_view hostPath) const;

private:
    std::filesystem::path root_;
};

} // namespace veltrona
