// dscl, sudo and veltrona-platform write only inside the platform root they are given.

#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <set>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// Everything under `folder` except the subtree `skip`.
std::set<std::string> listingOutside(const fs::path& folder, const fs::path& skip)
{
    std::set<std::string> names;
    for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
        if (it->path() == skip) {
            it.disable_recursion_pending();
            continue;
        }
        names.insert(fs::relative(it->path(), folder).string());
    }
    return names;
}

TEST(PlatformToolsSandboxTest, NothingLandsOutsideTheRoot)
{
    TempPlatformRoot root(TempPlatformRoot::Tools::Copy);
    const fs::path home = root.folder() / "home";
    const fs::path work = root.folder() / "work";
    fs::create_directories(home);
    fs::create_directories(work / "VPNStuff");
    const std::set<std::string> before = listingOutside(root.folder(), root.root());

    std::map<std::string, std::string> environment = root.environment();
    environment["HOME"] = home.string();
    environment["XDG_DATA_HOME"] = "";
    environment["TMPDIR"] = work.string();
    environment["PATH"] = (root.root() / "usr/bin").string() + ":/usr/bin:/bin";
    std::map<std::string, std::string> withoutRoot = environment;
    withoutRoot["VELTRONA_PLATFORM_ROOT"] = "";

    const std::string dscl = (root.root() / "usr/bin/dscl").string();
    const std::string sudo = (root.root() / "usr/bin/sudo").string();
    const std::string platform = builtPlatformTool().string();
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {dscl, {".", "-create", "/Users/../../../../escape", "RealName", "x"}},
        {dscl, {".", "-create", "/Users/a/../../../escape"}},
        {dscl, {".", "-create", "/Groups/..", "GroupMembership", "x"}},
        {dscl, {".", "-delete", "/Users/../../../../work/VPNStuff"}},
        {dscl, {".", "-create", "/Users/fine", "NFSHomeDirectory", "/../../escape"}},
        {dscl, {".", "-passwd", "/Users/fine", "pw"}},
        {dscl, {".", "-append", "/Groups/admin", "GroupMembership", "../escape"}},
        {dscl, {"-plist", ".", "readall", "/Users"}},
        {sudo, {"dscl", ".", "-create", "/Users/viasudo"}},
        {platform, {"tools", root.root().string()}},
    };
    for (const auto& [tool, arguments] : runs)
        runProgram(tool, arguments, environment, work);
    // Without a root handed down, the default root under HOME does not exist: nothing happens.
    ProcessRun lost = runProgram(dscl, {".", "-create", "/Users/lost"}, withoutRoot, work);
    EXPECT_EQ(lost.exitStatus, 1);
    EXPECT_NE(lost.err.find("no platform root"), std::string::npos);

    EXPECT_EQ(listingOutside(root.folder(), root.root()), before);
    EXPECT_TRUE(fs::is_empty(home));
    EXPECT_TRUE(fs::is_empty(work / "VPNStuff"));
    EXPECT_TRUE(fs::exists(root.root() / "var/db/dslocal/nodes/Default/users/fine.plist"));
    EXPECT_TRUE(fs::exists(root.root() / "var/db/dslocal/nodes/Default/users/viasudo.plist"));
}

} // namespace
} // namespace veltrona::test
