// The stand-in security tool run as a child process on a temporary platform root.

#include "platform/emulated/KeychainFile.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSystem = "/Library/Keychains/System.keychain";
const std::string kNotFound =
    "security: SecKeychainSearchCopyNext: The specified item could not be found in the keychain.\n";

class SecurityToolTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(work()); }

    fs::path work() const { return platform_.folder() / "work"; }
    fs::path systemKeychain() const { return platform_.root() / "Library/Keychains/System.keychain"; }

    ProcessRun security(const std::vector<std::string>& arguments) const
    {
        return runProgram((platform_.root() / "usr/bin/security").string(), arguments, platform_.environment(), work());
    }

    // A command text run as the runner runs it: /bin/sh -c, the root's tools first on PATH.
    ProcessRun shell(const std::string& script) const
    {
        std::map<std::string, std::string> environment = platform_.environment();
        const char* path = std::getenv("PATH");
        environment["PATH"] = (platform_.root() / "bin").string() + ":" + (platform_.root() / "usr/bin").string() + ":"
                              + (path ? path : "/usr/bin:/bin");
        return runProgram("/bin/sh", {"-c", script}, environment, work());
    }

    ProcessRun addRacoon(const std::string& secret, const std::string& keychain = kSystem) const
    {
        return security({"add-generic-password", "-a", "com.apple.ppp.L2TP", "-s", "com.apple.net.racoon", "-T",
                         "/usr/sbin/racoon", "-p", secret, keychain});
    }

    TempPlatformRoot platform_{TempPlatformRoot::Tools::Copy};
};

TEST_F(SecurityToolTest, AddFindDeleteAsTheProgramRunsThem)
{
    const ProcessRun added = addRacoon("s3cret");
    EXPECT_EQ(added.exitStatus, 0);
    EXPECT_EQ(added.out + added.err, "");
    struct stat info { };
    ASSERT_EQ(::stat(systemKeychain().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    const ProcessRun again = addRacoon("other");
    EXPECT_EQ(again.exitStatus, 45);
    EXPECT_EQ(again.err, "security: SecKeychainItemCreateFromContent (/Library/Keychains/System.keychain): "
                         "The specified item already exists in the keychain.\n");

    const ProcessRun found =
        security({"find-generic-password", "-a", "com.apple.ppp.L2TP", "-s", "com.apple.net.racoon", "-w", kSystem});
    EXPECT_EQ(found.exitStatus, 0);
    EXPECT_EQ(found.out, "s3cret\n");

    KeychainItems items;
    ASSERT_EQ(readKeychain(systemKeychain(), items), errSecSuccess);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].access, std::vector<std::string>{"/usr/sbin/racoon"});

    const ProcessRun deleted =
        security({"delete-generic-password", "-a", "com.apple.ppp.L2TP", "-s", "com.apple.net.racoon", kSystem});
    EXPECT_EQ(deleted.exitStatus, 0);
    EXPECT_EQ(deleted.out.rfind(
                  "keychain: \"/Library/Keychains/System.keychain\"\nversion: 512\nclass: \"genp\"\nattributes:\n", 0),
              0u)
        << deleted.out;
    EXPECT_NE(deleted.out.find("\n    \"acct\"<blob>=\"com.apple.ppp.L2TP\"\n"), std::string::npos);
    EXPECT_NE(deleted.out.find("\n    \"svce\"<blob>=\"com.apple.net.racoon\"\n"), std::string::npos);
    EXPECT_EQ(deleted.err, "password has been deleted.\n");

    const ProcessRun missing =
        security({"delete-generic-password", "-a", "com.apple.ppp.L2TP", "-s", "com.apple.net.racoon", kSystem});
    EXPECT_EQ(missing.exitStatus, 44);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, kNotFound);
    const ProcessRun notFound =
        security({"find-generic-password", "-a", "com.apple.ppp.L2TP", "-s", "com.apple.net.racoon", "-w", kSystem});
    EXPECT_EQ(notFound.exitStatus, 44);
    EXPECT_EQ(notFound.err, kNotFound);
}

TEST_F(SecurityToolTest, TheSharedSecretCommandsThroughSudo)
{
    const std::string add = "sudo security add-generic-password -a com.apple.ppp.L2TP -s com.apple.net.racoon "
                            "-T /usr/sbin/racoon -p Secret42 /Library/Keychains/System.keychain";
    const std::string remove = "sudo security delete-generic-password -a com.apple.ppp.L2TP -s com.apple.net.racoon "
                               "/Library/Keychains/System.keychain";
    EXPECT_EQ(shell(remove).err, kNotFound);
    EXPECT_EQ(shell(add).exitStatus, 0);
    EXPECT_EQ(security({"find-generic-password", "-a", "com.apple.ppp.L2TP", "-w", kSystem}).out, "Secret42\n");
    const ProcessRun removed = shell(remove);
    EXPECT_EQ(removed.exitStatus, 0);
    EXPECT_EQ(removed.err, "password has been deleted.\n");
    KeychainItems items;
    ASSERT_EQ(readKeychain(systemKeychain(), items), errSecSuccess);
    EXPECT_TRUE(items.empty());
}

TEST_F(SecurityToolTest, PasswordsArriveUnchangedAndUpdateReplacesThem)
{
    const std::string awkward = "a b'c\"d$e;f\\g";
    ASSERT_EQ(addRacoon(awkward).exitStatus, 0);
    EXPECT_EQ(security({"find-generic-password", "-s", "com.apple.net.racoon", "-w", kSystem}).out, awkward + "\n");
    ASSERT_EQ(security({"add-generic-password", "-U", "-a", "com.apple.ppp.L2TP", "-s", "com.apple.net.racoon", "-w",
                        "new", kSystem})
                  .exitStatus,
              0);
    EXPECT_EQ(security({"find-generic-password", "-a", "com.apple.ppp.L2TP", "-w", kSystem}).out, "new\n");
}

TEST_F(SecurityToolTest, CorruptKeychainIsReportedAndNeverOverwritten)
{
    const std::string corrupt = "<plist><dict><key>Items</key><array><dict><key>class</key></dict>";
    std::ofstream(systemKeychain()) << corrupt;
    const std::string invalid = "The specified keychain is not a valid keychain file.\n";
    const ProcessRun add = addRacoon("x");
    EXPECT_EQ(add.exitStatus, 49);
    EXPECT_EQ(add.err, "security: SecKeychainItemCreateFromContent (/Library/Keychains/System.keychain): " + invalid);
    const ProcessRun find = security({"find-generic-password", "-a", "com.apple.ppp.L2TP", "-w", kSystem});
    EXPECT_EQ(find.exitStatus, 49);
    EXPECT_EQ(find.err, "security: SecKeychainSearchCopyNext: " + invalid);
    EXPECT_EQ(security({"delete-generic-password", "-a", "com.apple.ppp.L2TP", kSystem}).exitStatus, 49);
    EXPECT_EQ(readText(systemKeychain()), corrupt);
}

TEST_F(SecurityToolTest, RefusedPathsAndUsageErrors)
{
    const ProcessRun escape = addRacoon("x", "/Library/../../escape.keychain");
    EXPECT_EQ(escape.exitStatus, 50);
    EXPECT_EQ(escape.err, "security: SecKeychainItemCreateFromContent (/Library/../../escape.keychain): "
                          "The specified keychain could not be found.\n");
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"add-generic-password", "-a"},
             {"add-generic-password", "-a", "x", "-s", "y", "-p", "two words", "k1", "k2"},
             {"find-generic-password", "-x"},
             {"delete-generic-password", "-w", kSystem}}) {
        EXPECT_EQ(security(arguments).exitStatus, 2) << arguments.back();
    }
    EXPECT_EQ(security({"frobnicate"}).exitStatus, 1);
    EXPECT_FALSE(fs::exists(systemKeychain()));
    EXPECT_FALSE(fs::exists(platform_.folder() / "escape.keychain"));
}

TEST_F(SecurityToolTest, FindSearchesTheNamedKeychainsInOrder)
{
    ASSERT_EQ(addRacoon("second", "/Library/Keychains/Other.keychain").exitStatus, 0);
    const ProcessRun found = security(
        {"find-generic-password", "-a", "com.apple.ppp.L2TP", "-g", kSystem, "/Library/Keychains/Other.keychain"});
    EXPECT_EQ(found.exitStatus, 0);
    EXPECT_EQ(found.out.rfind("keychain: \"/Library/Keychains/Other.keychain\"\n", 0), 0u);
    EXPECT_EQ(found.err, "password: \"second\"\n");
}

TEST_F(SecurityToolTest, ConcurrentWritersLoseNothing)
{
    constexpr int kWriters = 6;
    std::vector<std::thread> writers;
    std::vector<int> statuses(kWriters, -1);
    for (int i = 0; i < kWriters; ++i)
        writers.emplace_back([&, i] {
            statuses[i] =
                security({"add-generic-password", "-a", "user" + std::to_string(i), "-s", "svc", "-p", "pw", kSystem})
                    .exitStatus;
        });
    for (std::thread& writer : writers)
        writer.join();
    EXPECT_EQ(statuses, std::vector<int>(kWriters, 0));
    KeychainItems items;
    ASSERT_EQ(readKeychain(systemKeychain(), items), errSecSuccess);
    EXPECT_EQ(items.size(), static_cast<std::size_t>(kWriters));
}

} // namespace
} // namespace veltrona::test
