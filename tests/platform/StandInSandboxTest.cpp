// The stand-in tools touch nothing outside the platform root, whatever platform path they are given.

#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <set>
#include <unistd.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

std::set<std::string> listing(const fs::path& folder)
{
    std::set<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        names.insert(fs::relative(entry.path(), folder).string());
    return names;
}

TEST(StandInSandboxTest, NothingIsCreatedOutsideTheRoot)
{
    const TempPlatformRoot platform;
    const fs::path dir = platform.folder();
    for (const char* folder : {"home", "work"})
        fs::create_directories(dir / folder);
    const std::string unique = "veltrona-escape-" + std::to_string(::getpid());
    std::ofstream(dir / "root/job.plist")
        << "<plist version=\"1.0\"><dict><key>Label</key><string>x.y</string></dict></plist>";
    const std::map<std::string, std::string> environment = {{"VELTRONA_PLATFORM_ROOT", (dir / "root").string()},
                                                            {"HOME", (dir / "home").string()},
                                                            {"XDG_DATA_HOME", ""},
                                                            {"TMPDIR", (dir / "work").string()}};
    const std::set<std::string> before = listing(dir);

    const std::string launchctl = (builtMacToolsFolder() / "launchctl").string();
    const std::string security = (builtMacToolsFolder() / "security").string();
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {launchctl, {"load", "-w", "/job.plist"}},
        {launchctl, {"load", "-w", "/tmp/" + unique + ".plist"}},
        {launchctl, {"unload", "-w", "relative.plist"}},
        {launchctl, {"list"}},
        {security, {"add-generic-password", "-a", "a", "-s", "s", "-p", "p", "/tmp/" + unique + ".keychain"}},
        {security, {"add-generic-password", "-a", "a", "-s", "s", "-p", "p"}},
        {security, {"add-generic-password", "-a", "a", "-s", "s", "-p", "p", "../" + unique + ".keychain"}},
        {security, {"find-generic-password", "-a", "a", "-w", "/tmp/" + unique + ".keychain"}},
    };
    for (const auto& [tool, arguments] : runs)
        runProgram(tool, arguments, environment, dir / "work");

    EXPECT_FALSE(fs::exists("/tmp/" + unique + ".keychain"));
    EXPECT_TRUE(fs::exists(dir / ("root/tmp/" + unique + ".keychain")));
    EXPECT_TRUE(fs::exists(dir / "root/Library/Keychains/System.keychain"));
    EXPECT_TRUE(fs::is_empty(dir / "home"));
    EXPECT_TRUE(fs::is_empty(dir / "work"));
    std::set<std::string> outside;
    for (const std::string& name : listing(dir))
        if (name.rfind("root", 0) != 0)
            outside.insert(name);
    std::set<std::string> outsideBefore;
    for (const std::string& name : before)
        if (name.rfind("root", 0) != 0)
            outsideBefore.insert(name);
    EXPECT_EQ(outside, outsideBefore);
}

// A missing folder, or a folder that holds no emulated Mac, is refused and gets no pieces of one.
TEST(StandInSandboxTest, AMissingRootIsRefusedNotMade)
{
    const TempPlatformRoot platform;
    const fs::path missing = platform.folder() / "no-such-root";
    const fs::path plain = platform.folder() / "plain-folder";
    fs::create_directories(plain);
    const std::vector<std::pair<std::string, std::vector<std::string>>> runs = {
        {"launchctl", {"load", "-w", "/Library/LaunchDaemons/x.plist"}},
        {"security", {"add-generic-password", "-a", "a", "-s", "s", "-p", "p"}},
        {"dscl", {".", "-create", "/Users/x"}},
        {"chown", {"root:wheel", (plain / "x").string()}},
    };
    for (const fs::path& root : {missing, plain}) {
        for (const auto& [tool, arguments] : runs) {
            const ProcessRun run = runProgram((builtMacToolsFolder() / tool).string(), arguments,
                                              {{"VELTRONA_PLATFORM_ROOT", root.string()}}, platform.folder());
            EXPECT_NE(run.exitStatus, 0) << tool;
            EXPECT_NE(run.err.find("no platform root"), std::string::npos) << tool << ": " << run.err;
        }
    }
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_TRUE(fs::is_empty(plain));
}

// A FIFO where a tool reads a file is refused at once, never waited on.
TEST(StandInSandboxTest, AFifoInPlaceOfAFileIsRefusedAtOnce)
{
    const TempPlatformRoot platform(TempPlatformRoot::Tools::Copy);
    const fs::path root = platform.root();
    const struct {
        const char* place;
        std::string tool;
        std::vector<std::string> arguments;
    } cases[] = {
        {"var/db/com.apple.xpc.launchd/loaded.plist", "bin/launchctl", {"list"}},
        {"Library/Keychains/System.keychain",
         "usr/bin/security",
         {"find-generic-password", "-a", "x", "/Library/Keychains/System.keychain"}},
        {"var/db/dslocal/nodes/Default/users/admin.plist", "usr/bin/dscl", {".", "-read", "/Users/admin"}},
        {"var/db/dslocal/nodes/Default/users/admin.plist",
         "usr/bin/dscl",
         {"-plist", ".", "readall", "/users", "RealName"}},
    };
    for (const auto& c : cases) {
        const fs::path place = root / c.place;
        fs::remove(place);
        fs::create_directories(place.parent_path());
        ASSERT_EQ(::mkfifo(place.c_str(), 0600), 0) << c.place;
        // timeout(1) bounds a regression to a failure instead of a hung suite.
        std::vector<std::string> arguments{"10", (root / c.tool).string()};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        const ProcessRun run = runProgram("timeout", arguments, platform.environment(), platform.folder());
        EXPECT_NE(run.exitStatus, 124) << c.tool << " waited on " << c.place;
        fs::remove(place);
    }
}

} // namespace
} // namespace veltrona::test
