// The password store on the emulated user's login keychain.
#include "services/Keychain.h"
#include "platform/emulated/KeychainServicesEmulated.h"
#include "tests/support/FileText.h"
#include "tests/support/FixedProcessInfo.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace veltrona::test {
namespace {

const std::string kNotFound = "error = The specified item could not be found in the keychain.";

class KeychainTest : public ::testing::Test {
protected:
    KeychainTest() { std::filesystem::create_directories(root / "Users/admin/Library/Keychains"); }

    std::string read(std::string_view user) { return passwords.getPasswordForUser(user); }
    // The item's data exactly as stored, found by service and account.
    std::string storedData(std::string_view service, std::string_view account)
    {
        SecKeychainData data;
        if (services.findGenericPassword(nullptr, service, account, &data, nullptr) != errSecSuccess)
            return "(none)";
        return {data.begin(), data.end()};
    }

    TempDir root;
    KeychainServicesEmulated services{PlatformPaths(root.path()), "admin"};
    FixedProcessInfo process;
    RecordingLog log;
    Keychain passwords{services, process, log};
};

TEST_F(KeychainTest, StoringAgainReplacesThePasswordOfTheOneItem)
{
    passwords.storePassword("first", "admin");
    EXPECT_EQ(storedData("Veltrona", "admin"), "first") << "service is the process name";
    passwords.storePassword("second", "admin");
    EXPECT_EQ(read("admin"), "second");

    passwords.deletePasswordForUser("admin");
    log.lines.clear();
    EXPECT_EQ(read("admin"), "ERROR") << "one delete left nothing: there was one item, not two";
    EXPECT_EQ(log.lines, std::vector<std::string>{kNotFound});
}

TEST_F(KeychainTest, TwoNamesKeepTwoItems)
{
    passwords.storePassword("alpha pass", "alice");
    passwords.storePassword("bravo pass", "bob");
    EXPECT_EQ(read("alice"), "alpha pass");
    EXPECT_EQ(read("bob"), "bravo pass");
    passwords.deletePasswordForUser("alice");
    EXPECT_EQ(read("alice"), "ERROR");
    EXPECT_EQ(read("bob"), "bravo pass");
}

TEST_F(KeychainTest, ReadBackIsCutAt1023BytesAndAtAZeroByte)
{
    struct Case {
        const char* name;
        std::string stored;
        std::string expected;
    };
    const std::string euro = "\xe2\x82\xac";
    const std::vector<Case> cases = {
        {"1023 bytes", std::string(1023, 'a'), std::string(1023, 'a')},
        {"1024 bytes", std::string(1023, 'a') + "b", std::string(1023, 'a')},
        {"5000 bytes", std::string(5000, 'c'), std::string(1023, 'c')},
        {"cut inside a character", std::string(1021, 'a') + euro, std::string(1021, 'a')},
        {"character ending at the cut", std::string(1020, 'a') + euro + "z", std::string(1020, 'a') + euro},
        {"zero byte", std::string("ab\0cd", 5), "ab"},
        {"non-ASCII", "pässwörd", "pässwörd"},
        {"empty", "", ""},
    };
    for (const Case& c : cases) {
        // Added straight through the services: a store would already stop at the zero byte.
        passwords.deletePasswordForUser("admin");
        ASSERT_EQ(services.addGenericPassword(nullptr, "Veltrona", "admin", c.stored, nullptr), errSecSuccess)
            << c.name;
        EXPECT_EQ(read("admin"), c.expected) << c.name;
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(KeychainTest, NamesAndPasswordsEndAtTheirFirstZeroByte)
{
    passwords.storePassword(std::string("pw\0hidden", 9), std::string("admin\0junk", 10));
    EXPECT_EQ(storedData("Veltrona", "admin"), "pw");
    passwords.storePassword(std::string("new\0x", 5), std::string("admin\0other", 11));
    EXPECT_EQ(read(std::string("admin\0more", 10)), "new");
}

TEST_F(KeychainTest, MissingItemReadsAsErrorWithOneLogLine)
{
    EXPECT_EQ(read("nobody"), "ERROR");
    EXPECT_EQ(log.lines, std::vector<std::string>{kNotFound});
}

TEST_F(KeychainTest, DeletingAMissingItemDoesNothing)
{
    passwords.storePassword("kept", "admin");
    passwords.deletePasswordForUser("nobody");
    EXPECT_EQ(read("admin"), "kept");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(KeychainTest, ReadsUnderAnotherServiceFromAKeychainFile)
{
    const std::string file = (root / "Users/admin/Library/Keychains/other.keychain").string();
    SecKeychainRef other;
    services.open(file, other);
    ASSERT_EQ(services.addGenericPassword(other, "OtherApp", "admin", "elsewhere", nullptr), errSecSuccess);
    other.reset();

    services.setUserInteractionAllowed(false);
    EXPECT_EQ(passwords.getPasswordForUser("admin", std::string("OtherApp"), file), "elsewhere");
    EXPECT_TRUE(services.userInteractionAllowed()) << "switched back on after reading an opened file";
    EXPECT_EQ(passwords.getPasswordForUser("admin", std::string("OtherApp"), std::nullopt), "ERROR")
        << "the default keychain has no such item";
    EXPECT_EQ(passwords.getPasswordForUser("admin", std::nullopt, file), "ERROR")
        << "the file has no item under the process name";

    log.lines.clear();
    const std::string missing = (root / "Users/admin/Library/Keychains/missing.keychain").string();
    EXPECT_EQ(passwords.getPasswordForUser("admin", std::string("OtherApp"), missing), "ERROR");
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0].rfind("error = ", 0), 0u) << log.lines[0];
}

TEST_F(KeychainTest, CorruptKeychainReadsAsErrorAndStoreLeavesItAlone)
{
    const auto file = root / "Users/admin/Library/Keychains/login.keychain";
    std::ofstream(file) << "not a property list";
    EXPECT_EQ(read("admin"), "ERROR");
    EXPECT_EQ(log.lines.size(), 1u);
    passwords.storePassword("pw", "admin");
    passwords.deletePasswordForUser("admin");
    EXPECT_EQ(readText(file), "not a property list");
}

} // namespace
} // namespace veltrona::test
