// veltrona-platform init and tools, and the process information a new root gives.

#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "platform/emulated/ProcessInfoEmulated.h"
#include "platform/emulated/SystemVersion.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// Runs veltrona-platform with the password fed through standard input by a shell.
ProcessRun platformTool(const fs::path& work, const std::vector<std::string>& arguments, const std::string& input)
{
    std::vector<std::string> shellArguments{"-c", "printf '%s' \"$0\" | \"$@\"", input, builtPlatformTool().string()};
    shellArguments.insert(shellArguments.end(), arguments.begin(), arguments.end());
    return runProgram("/bin/sh", shellArguments, {}, work);
}

TEST(PlatformInitTest, MakesACompleteRoot)
{
    TempDir dir;
    ProcessRun run = platformTool(
        dir.path(),
        {"init", "mac", "--admin", "jo", "--full-name", "Jo Smith", "--os-version", "10.11.4", "--build", "15E65"},
        "pass word\n");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    const fs::path root = dir / "mac";
    for (const char* place : {"System/Library/CoreServices/SystemVersion.plist", "Library/LaunchDaemons",
                              "Library/Preferences/SystemConfiguration", "Library/Keychains", "usr/local",
                              "Users/jo/Desktop", "Users/jo/Library/Preferences", "Users/jo/Library/Keychains",
                              "bin/launchctl", "usr/bin/dscl", "usr/bin/security", "usr/bin/sudo", "var/db/auth.plist"})
        EXPECT_TRUE(fs::exists(root / place)) << place;
    EXPECT_EQ(fs::status(root / "usr/bin/dscl").permissions() & fs::perms::owner_exec, fs::perms::owner_exec);

    std::optional<PlistValue> version = readPlistFile(systemVersionFile(root));
    ASSERT_TRUE(version && version->dictionary());
    for (const auto& [key, value] :
         std::vector<std::pair<std::string, std::string>>{{"ProductBuildVersion", "15E65"},
                                                          {"ProductName", "Mac OS X"},
                                                          {"ProductUserVisibleVersion", "10.11.4"},
                                                          {"ProductVersion", "10.11.4"}}) {
        const PlistValue* found = version->dictionary()->find(key);
        ASSERT_TRUE(found && found->string()) << key;
        EXPECT_EQ(*found->string(), value);
    }
    EXPECT_TRUE(version->dictionary()->find("ProductCopyright"));

    ProcessInfoEmulated info(PlatformPaths(root), "Veltrona");
    EXPECT_EQ(info.operatingSystemVersionString(), "Version 10.11.4 (Build 15E65)");
    EXPECT_EQ(info.processName(), "Veltrona");
    EXPECT_EQ(info.userName(), "jo");
    EXPECT_EQ(info.fullUserName(), "Jo Smith");
    EXPECT_EQ(info.homeDirectory(), "/Users/jo");

    Directory directory(root);
    Directory::Lookup jo = directory.find(RecordType::Users, "jo");
    ASSERT_TRUE(jo.record);
    EXPECT_EQ(jo.record->values("uid"), std::vector<std::string>{"501"});
    EXPECT_EQ(jo.record->values("gid"), std::vector<std::string>{"20"});
    EXPECT_TRUE(authenticateUser(directory, "Jo Smith", "pass word", "admin"));
    EXPECT_EQ(directory.find(RecordType::Groups, "admin").record->values("users"),
              (std::vector<std::string>{"root", "jo"}));
    for (const auto& [name, uid] : std::vector<std::pair<std::string, std::string>>{
             {"root", "0"}, {"daemon", "1"}, {"nobody", "-2"}, {"_www", "70"}, {"amavisd", "83"}}) {
        Directory::Lookup system = directory.find(RecordType::Users, name);
        ASSERT_TRUE(system.record) << name;
        EXPECT_EQ(system.record->values("uid"), std::vector<std::string>{uid}) << name;
    }
    for (const auto& [name, gid] :
         std::vector<std::pair<std::string, std::string>>{{"admin", "80"}, {"staff", "20"}, {"wheel", "0"}}) {
        Directory::Lookup group = directory.find(RecordType::Groups, name);
        ASSERT_TRUE(group.record) << name;
        EXPECT_EQ(group.record->values("gid"), std::vector<std::string>{gid}) << name;
    }
}

TEST(PlatformInitTest, RefusesBadRequestsAndLeavesThingsAsTheyWere)
{
    TempDir dir;
    fs::create_directory(dir / "taken");
    std::ofstream(dir / "taken/keep.txt") << "mine";
    const struct {
        std::vector<std::string> arguments;
        std::string input;
        int exitStatus;
        std::string errorPart;
    } cases[] = {
        {{"init", "taken", "--admin", "jo"}, "pw\n", 1, "already exists and is not empty"},
        {{"init", "/", "--admin", "jo"}, "pw\n", 1, "cannot be \"/\""},
        {{"init", "new1", "--admin", "jo"}, "", 1, "no password"},
        {{"init", "new2", "--admin", "jo"}, "\n", 1, "password is empty"},
        {{"init", "new3", "--admin", "root"}, "pw\n", 1, "system account"},
        {{"init", "new4", "--admin", "../jo"}, "pw\n", 1, "cannot be a record name"},
        {{"init", "new5"}, "pw\n", 64, "--admin"},
        {{"init", "new6", "--admin"}, "pw\n", 64, "needs a value"},
        {{"tools", "taken"}, "", 1, "is not a platform root"},
        {{"tools"}, "", 64, "give the root folder"},
        {{"frobnicate"}, "", 64, "unknown command"},
    };
    for (const auto& c : cases) {
        ProcessRun run = platformTool(dir.path(), c.arguments, c.input);
        EXPECT_EQ(run.exitStatus, c.exitStatus) << testing::PrintToString(c.arguments);
        EXPECT_NE(run.err.find(c.errorPart), std::string::npos) << run.err;
    }
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.path()))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, std::set<std::string>{"taken"});
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "taken"), fs::directory_iterator()), 1);
}

TEST(PlatformInitTest, ToolsAreCopiedAgainIntoAnExistingRoot)
{
    TempPlatformRoot root;
    EXPECT_FALSE(fs::exists(root.root() / "usr/bin/dscl"));
    ProcessRun run = platformTool(root.folder(), {"tools", root.root().string()}, "");
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(fs::file_size(root.root() / "usr/bin/dscl"), fs::file_size(builtMacToolsFolder() / "dscl"));
    EXPECT_EQ(fs::file_size(root.root() / "usr/bin/sudo"), fs::file_size(builtMacToolsFolder() / "sudo"));
    EXPECT_TRUE(fs::exists(root.root() / "bin/launchctl"));
}

TEST(ProcessInfoTest, CopesWithMissingAndHostileFiles)
{
    TempPlatformRoot root;
    ProcessInfoEmulated info(root.paths());
    EXPECT_EQ(info.operatingSystemVersionString(), "Version 10.11.6 (Build 15G31)");
    EXPECT_FALSE(info.processName().empty());

    std::ofstream(systemVersionFile(root.root())) << "";
    EXPECT_EQ(info.operatingSystemVersionString(), "");

    // A home that climbs out of the root is not believed.
    ASSERT_TRUE(Directory(root.root())
                    .update(RecordType::Users, "admin",
                            [](Record& record) {
                                record.setValues("home", {"/../../etc"});
                                return Status::success();
                            })
                    .ok());
    EXPECT_EQ(info.homeDirectory(), "/Users/admin");

    ASSERT_TRUE(recordCurrentUser(root.root(), "../../etc").ok());
    EXPECT_EQ(info.userName(), "");
    EXPECT_EQ(info.fullUserName(), "");
    EXPECT_EQ(info.homeDirectory(), "");

    ASSERT_TRUE(recordCurrentUser(root.root(), "ghost").ok());
    EXPECT_EQ(info.fullUserName(), "ghost");
    EXPECT_EQ(info.homeDirectory(), "/Users/ghost");
}

} // namespace
} // namespace veltrona::test
