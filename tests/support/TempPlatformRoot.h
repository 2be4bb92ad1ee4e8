#pragma once
// A fresh emulated Mac in a temporary folder, made by the same code as `veltrona-platform init`:
// administrator "admin", full name "Admin User", password "secret".

#include "platform/PlatformPaths.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <map>
#include <string>

namespace veltrona::test {

inline constexpr const char* kTestAdminName = "admin";
inline constexpr const char* kTestAdminFullName = "Admin User";
inline constexpr const char* kTestAdminPassword = "secret";

class TempPlatformRoot {
public:
    enum class Tools { Skip, Copy, CopyWithVpnd };
    // With Tools::Copy the built stand-in tools are copied into the root's bin folders, as
    // `veltrona-platform init` does, but for vpnd: run as root it would serve on UDP 500 in the
    // test's own network namespace, so only a test that serves in a namespace of its own asks for
    // it (CopyWithVpnd). Without it a loaded job stays loaded with no PID, as on a Mac. Either
    // copy also holds a usr/bin/dig that asks nobody.
    explicit TempPlatformRoot(Tools tools = Tools::Skip);

    // The root itself: <temporary folder>/root.
    const std::filesystem::path& root() const { return root_; }
    // The temporary folder that holds the root (for checks that nothing lands beside it).
    const std::filesystem::path& folder() const { return dir_.path(); }
    PlatformPaths paths() const { return PlatformPaths(root_); }
    // VELTRONA_PLATFORM_ROOT for child processes.
    std::map<std::string, std::string> environment() const;

private:
    TempDir dir_;
    std::filesystem::path root_;
};

// Where the build put the stand-in tools: $VELTRONA_BUILD_DIR/bin/mac-tools, else beside the test.
std::filesystem::path builtMacToolsFolder();
// Where the build put veltrona-platform.
std::filesystem::path builtPlatformTool();

} // namespace veltrona::test
