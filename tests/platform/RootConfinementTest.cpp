// A symbolic link inside the platform root never leads a write out of it: whatever a link at one
// of the root's state files or folders points at outside stays exactly as it was.

#include "foundation/PlistIO.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "platform/emulated/Directory.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// Every entry below the folder with its contents and mode.
std::map<std::string, std::string> snapshot(const fs::path& folder)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        const auto mode = static_cast<unsigned>(fs::symlink_status(entry.path()).permissions());
        entries[entry.path().string()] =
            std::to_string(mode) + ":" + (entry.is_regular_file() ? readText(entry.path()) : "");
    }
    return entries;
}

TEST(RootConfinement, LinksAtStateFilesAndFoldersLeadNoWriteOutOfTheRoot)
{
    TempPlatformRoot platform(TempPlatformRoot::Tools::Copy);
    const fs::path root = platform.root();
    const fs::path outside = platform.folder() / "outside";
    fs::create_directories(outside / "launchd");
    fs::create_directories(outside / "authorization");
    writeText(outside / "launchd/loaded.plist", "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict/></plist>\n");
    auto tool = [&](const std::string& path, const std::vector<std::string>& arguments) {
        return runProgram((root / path).string(), arguments, platform.environment(), platform.folder());
    };
    // Real files of the root, moved out: each would be read and written back if a link were followed.
    ASSERT_EQ(tool("usr/bin/security",
                   {"add-generic-password", "-a", "old", "-s", "s", "-p", "p", "/Library/Keychains/System.keychain"})
                  .exitStatus,
              0);
    fs::rename(root / "Library/Keychains/System.keychain", outside / "System.keychain");
    ASSERT_EQ(tool("usr/bin/dscl", {".", "-create", "/Users/bob", "RealName", "Bob"}).exitStatus, 0);
    fs::rename(Directory(root).recordFolder(RecordType::Users) / "bob.plist", outside / "bob.plist");
    writeText(
        root / "Library/LaunchDaemons/x.plist",
        "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Label</key><string>x</string></dict></plist>\n");

    auto link = [](const fs::path& place, const fs::path& target) {
        fs::remove_all(place);
        fs::create_directories(place.parent_path());
        fs::create_symlink(target, place);
    };
    const struct {
        const char* name;
        std::function<void()> prepare;
        std::function<void()> act;
    } cases[] = {
        {"launchd state folder", [&] { link(root / "var/db/com.apple.xpc.launchd", outside / "launchd"); },
         [&] {
             tool("bin/launchctl", {"load", "-w", "/Library/LaunchDaemons/x.plist"});
         }},
        {"System keychain", [&] { link(root / "Library/Keychains/System.keychain", outside / "System.keychain"); },
         [&] {
             tool("usr/bin/security",
                  {"add-generic-password", "-a", "a", "-s", "s", "-p", "p", "/Library/Keychains/System.keychain"});
         }},
        {"a user record",
         [&] { link(Directory(root).recordFolder(RecordType::Users) / "bob.plist", outside / "bob.plist"); },
         [&] {
             tool("usr/bin/dscl", {".", "-create", "/Users/bob", "RealName", "Changed"});
         }},
        {"live authorizations", [&] { link(root / "var/run/authorization", outside / "authorization"); },
         [&] {
             AuthorizationServicesEmulated services(platform.paths());
             AuthorizationRef ref;
             const std::string user = kTestAdminName;
             const std::string password = kTestAdminPassword;
             services.create(
                 {{"com.brantholm.orlaquin.admin", {}, 0}},
                 {{"username", {user.begin(), user.end()}, 0}, {"password", {password.begin(), password.end()}, 0}},
                 kAuthorizationFlagExtendRights, ref);
             AuthorizationExternalForm form;
             EXPECT_NE(services.makeExternalForm(ref, form), errAuthorizationSuccess);
         }},
    };
    for (const auto& c : cases) {
        c.prepare();
        const auto before = snapshot(outside);
        c.act();
        EXPECT_EQ(snapshot(outside), before) << c.name;
    }
}

} // namespace
} // namespace veltrona::test
