// Replacing files whole: permissions, links, and failures that must leave the old file alone.
#include "foundation/AtomicFile.h"
#include "foundation/PlistIO.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>
#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

unsigned permissionBits(const fs::path& path)
{
    struct stat info { };
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class AtomicFile : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(AtomicFile, newFileGetsItsBytesAndUsualPermissionsWithNoSideFileLeft)
{
    const mode_t previous = ::umask(0077);
    const Status written = writeFileAtomically(dir / "new.plist", "content");
    ::umask(previous);
    ASSERT_TRUE(written) << written.message();
    EXPECT_EQ(readText(dir / "new.plist"), "content");
    EXPECT_EQ(permissionBits(dir / "new.plist"), 0644u);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"new.plist"});
}

TEST_F(AtomicFile, replacingKeepsThePermissionBitsAndLeavesOneFile)
{
    for (unsigned mode : {0600u, 0640u, 0755u}) {
        const fs::path target = dir / "settings.plist";
        writeText(target, "old content that is longer than the new");
        ::chmod(target.c_str(), mode);
        ASSERT_TRUE(writeFileAtomically(target, "new"));
        EXPECT_EQ(readText(target), "new");
        EXPECT_EQ(permissionBits(target), mode);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"settings.plist"});
    }
}

TEST_F(AtomicFile, writesThroughLinksToTheFileTheyReach)
{
    fs::create_directories(dir / "install");
    fs::create_directories(dir / "Library");
    const fs::path installed = dir / "install" / "com.example.plist";
    writeText(installed, "old");
    ::chmod(installed.c_str(), 0600);
    // A relative link to an absolute link to the file, as installations chain them.
    fs::create_symlink(installed, dir / "install" / "absolute-link");
    fs::create_symlink("../install/absolute-link", dir / "Library" / "com.example.plist");

    ASSERT_TRUE(writeFileAtomically(dir / "Library" / "com.example.plist", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "Library" / "com.example.plist"));
    EXPECT_TRUE(fs::is_symlink(dir / "install" / "absolute-link"));
    EXPECT_EQ(readText(installed), "new");
    EXPECT_EQ(permissionBits(installed), 0600u);
    EXPECT_EQ(folderEntries(dir / "install"), (std::vector<std::string>{"absolute-link", "com.example.plist"}));
}

TEST_F(AtomicFile, linkToAFileNotYetThereCreatesIt)
{
    fs::create_symlink("made-later.plist", dir / "link.plist");
    ASSERT_TRUE(writeFileAtomically(dir / "link.plist", "new"));
    EXPECT_TRUE(fs::is_symlink(dir / "link.plist"));
    EXPECT_EQ(readText(dir / "made-later.plist"), "new");
}

TEST_F(AtomicFile, failuresKeepTheOldFileAndLeaveNoSideFile)
{
    // Each case makes the write impossible in its own way, even for root.
    struct Case {
        std::string name;
        std::function<fs::path(const fs::path&)> prepare; // gives the path to write
    };
    const std::vector<Case> cases = {
        {"folder is a file",
         [](const fs::path& root) {
             writeText(root / "plain", "x");
             return root / "plain" / "a.plist";
         }},
        {"folder is missing", [](const fs::path& root) { return root / "no-such-folder" / "a.plist"; }},
        {"target is a folder",
         [](const fs::path& root) {
             fs::create_directory(root / "a.plist");
             return root / "a.plist";
         }},
        {"links go round in a circle",
         [](const fs::path& root) {
             fs::create_symlink("two", root / "one");
             fs::create_symlink("one", root / "two");
             return root / "one";
         }},
        {"under /proc", [](const fs::path&) { return fs::path("/proc/self/veltrona-test.plist"); }},
        {"no file name", [](const fs::path& root) { return root / ""; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir root;
        writeText(root / "keep.plist", "old");
        const fs::path target = c.prepare(root.path());
        const std::vector<std::string> before = folderEntries(root.path());
        const Status status = writeFileAtomically(target, "new");
        EXPECT_FALSE(status);
        EXPECT_NE(status.code(), 0);
        EXPECT_FALSE(status.message().empty());
        EXPECT_EQ(folderEntries(root.path()), before);
        EXPECT_EQ(readText(root / "keep.plist"), "old");
    }
}

TEST_F(AtomicFile, writeThatRunsOutOfSpaceKeepsTheOldFile)
{
    // A file-size limit makes the write itself fail, also for root.
    const fs::path target = dir / "settings.plist";
    writeText(target, "old");
    struct rlimit previous { };
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    struct rlimit small = previous;
    small.rlim_cur = 1024;
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status status = writeFileAtomically(target, std::string(4096, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(status);
    EXPECT_EQ(readText(target), "old");
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"settings.plist"});
}

// Root writes into read-only folders, so as root the write is made by a child that has given up
// root for the unprivileged "nobody" (65534), owner of the folders.
bool writeAsUnprivileged(const fs::path& target, const std::vector<fs::path>& owned)
{
    if (::geteuid() != 0)
        return writeFileAtomically(target, "new").ok();
    constexpr uid_t nobody = 65534;
    for (const fs::path& path : owned)
        EXPECT_EQ(::lchown(path.c_str(), nobody, nobody), 0) << path;
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0 || ::geteuid() == 0)
            ::_exit(2);
        ::_exit(writeFileAtomically(target, "new").ok() ? 0 : 1);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) != 2) << "the child could not give up root";
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(AtomicFile, unwritableFolderKeepsTheOldFile)
{
    const fs::path folder = dir / "locked";
    fs::create_directory(folder);
    writeText(folder / "settings.plist", "old");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(folder.c_str(), 0555);
    const bool status = writeAsUnprivileged(folder / "settings.plist", {dir.path(), folder, folder / "settings.plist"});
    ::chmod(folder.c_str(), 0755);
    EXPECT_FALSE(status);
    EXPECT_EQ(readText(folder / "settings.plist"), "old");
    EXPECT_EQ(folderEntries(folder), std::vector<std::string>{"settings.plist"});
}

TEST_F(AtomicFile, propertyListWriteReportsFailureAndSuccess)
{
    PlistDictionary dictionary;
    dictionary.set("VPNHost", "vpn.example.com");
    EXPECT_FALSE(writePlistAtomically(dictionary, dir / "missing-folder" / "a.plist"));
    ASSERT_TRUE(writePlistAtomically(dictionary, dir / "a.plist"));
    EXPECT_EQ(readPlistFile(dir / "a.plist"), std::optional<PlistValue>(dictionary));
}

} // namespace
} // namespace veltrona::test
