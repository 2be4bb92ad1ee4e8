// Where the save dialog opens, from the savePath default, and what the default keeps afterwards.
#include "profiles/SavePath.h"
#include "tests/support/TempDir.h"

#include <filesystem>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

TEST(SavePath, TheStartingFolderOnTheEmulatedMac)
{
    TempDir outside;
    TempDir rootFolder;
    const fs::path root = rootFolder / "root";
    for (const char* folder : {"/Users/alice/Desktop", "/Users/alice/Profiles", "/Library"})
        fs::create_directories(root.string() + folder);
    const PlatformPaths platform(root);
    const std::string home = root.string() + "/Users/alice";

    const struct {
        std::string savePath;
        std::string opens;
    } cases[] = {
        {"~", home},
        {"~/Profiles", home + "/Profiles"},
        {"/Library", root.string() + "/Library"},
        {root.string() + "/Library", root.string() + "/Library"}, // already on this machine
        {outside.path().string(), outside.path().string()},       // kept outside the platform
        {"~/Gone", home},
        {"/Users/alice/../../..", home}, // never out of the root
        {"", home},
        {"Profiles", home},
        {"~bob", home},
    };
    for (const auto& c : cases)
        EXPECT_EQ(saveDialogFolder(platform, c.savePath, "/Users/alice"), c.opens) << c.savePath;
}

TEST(SavePath, TheDefaultKeepsThePlatformsViewOfTheFolder)
{
    const PlatformPaths platform("/tmp/mac/root");
    EXPECT_EQ(savePathForFolder(platform, "/tmp/mac/root/Users/alice/Desktop"), "/Users/alice/Desktop");
    EXPECT_EQ(savePathForFolder(platform, "/srv/profiles"), "/srv/profiles");
    EXPECT_EQ(savePathForFolder(PlatformPaths(""), "/Users/alice"), "/Users/alice");
}

} // namespace
} // namespace veltrona::test
