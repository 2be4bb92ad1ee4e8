// Keychain Services of the emulated Mac, through the interface the password store uses.

#include "platform/emulated/KeychainFile.h"
#include "platform/emulated/KeychainServicesEmulated.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sys/stat.h>
#include <thread>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

SecKeychainData bytes(const std::string& text)
{
    return SecKeychainData(text.begin(), text.end());
}

class KeychainServicesTest : public ::testing::Test {
protected:
    TempDir dir_;
    KeychainServicesEmulated keychain_{PlatformPaths(dir_.path()), "admin"};

    std::string password(std::string_view service, std::string_view account, OSStatus* status = nullptr)
    {
        SecKeychainData data;
        const OSStatus found = keychain_.findGenericPassword(nullptr, service, account, &data, nullptr);
        if (status)
            *status = found;
        return std::string(data.begin(), data.end());
    }
};

TEST_F(KeychainServicesTest, StoreReplaceReadAndDeleteAsThePasswordStoreDoes)
{
    EXPECT_EQ(keychain_.defaultKeychainPath(), (dir_ / "Users/admin/Library/Keychains/login.keychain").string());
    ASSERT_EQ(keychain_.addGenericPassword(nullptr, "Veltrona", "admin", "first", nullptr), errSecSuccess);
    struct stat info { };
    ASSERT_EQ(::stat(keychain_.defaultKeychainPath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(password("Veltrona", "admin"), "first");

    // A second store for the name: the add fails as a duplicate, and the item is rewritten by reference.
    EXPECT_EQ(keychain_.addGenericPassword(nullptr, "Veltrona", "admin", "second", nullptr), errSecDuplicateItem);
    SecKeychainItemRef item;
    ASSERT_EQ(keychain_.findGenericPassword(nullptr, "Veltrona", "admin", nullptr, &item), errSecSuccess);
    const SecKeychainData second = bytes("second");
    EXPECT_EQ(keychain_.modifyAttributesAndData(
                  item, {{kSecAccountItemAttr, "admin"}, {kSecServiceItemAttr, "Veltrona"}}, &second),
              errSecSuccess);
    EXPECT_EQ(password("Veltrona", "admin"), "second");
    KeychainItems items;
    ASSERT_EQ(readKeychain(keychain_.defaultKeychainPath(), items), errSecSuccess);
    EXPECT_EQ(items.size(), 1u);

    ASSERT_EQ(keychain_.addGenericPassword(nullptr, "Veltrona", "other", "theirs", nullptr), errSecSuccess);
    EXPECT_EQ(password("Veltrona", "other"), "theirs");
    EXPECT_EQ(password("Veltrona", "admin"), "second");

    EXPECT_EQ(keychain_.deleteItem(item), errSecSuccess);
    OSStatus status = errSecSuccess;
    EXPECT_EQ(password("Veltrona", "admin", &status), "");
    EXPECT_EQ(status, errSecItemNotFound);
    EXPECT_EQ(keychain_.deleteItem(item), errSecInvalidItemRef);
    EXPECT_EQ(password("Veltrona", "other"), "theirs");
}

TEST_F(KeychainServicesTest, ModifyFollowsRenamesAndRefusesClashes)
{
    SecKeychainItemRef item;
    ASSERT_EQ(keychain_.addGenericPassword(nullptr, "svc", "a", "pa", &item), errSecSuccess);
    ASSERT_EQ(keychain_.addGenericPassword(nullptr, "svc", "b", "pb", nullptr), errSecSuccess);
    EXPECT_EQ(keychain_.modifyAttributesAndData(item, {{kSecAccountItemAttr, "b"}}, nullptr), errSecDuplicateItem);
    EXPECT_EQ(keychain_.modifyAttributesAndData(item, {{0x6C61626C, "label"}}, nullptr), errSecNoSuchAttr);
    EXPECT_EQ(keychain_.modifyAttributesAndData(item, {{kSecAccountItemAttr, "c"}}, nullptr), errSecSuccess);
    const SecKeychainData fresh = bytes("pc");
    EXPECT_EQ(keychain_.modifyAttributesAndData(item, {}, &fresh), errSecSuccess);
    EXPECT_EQ(password("svc", "c"), "pc");
    EXPECT_EQ(password("svc", "b"), "pb");
    EXPECT_EQ(keychain_.addGenericPassword(nullptr, "svc", std::string("\xff\xfe", 2), "x", nullptr), errSecParam);
}

TEST_F(KeychainServicesTest, OpenedKeychainFilesAreSearchedAlone)
{
    ASSERT_EQ(keychain_.addGenericPassword(nullptr, "svc", "admin", "in login", nullptr), errSecSuccess);
    struct Case {
        std::string path;
        OSStatus openStatus;
        OSStatus findStatus;
        std::string password;
    };
    const std::vector<Case> cases = {
        {"login.keychain", errSecSuccess, errSecSuccess, "in login"},
        {"/Users/admin/Library/Keychains/login.keychain", errSecSuccess, errSecSuccess, "in login"},
        {(dir_ / "Users/admin/Library/Keychains/login.keychain").string(), errSecSuccess, errSecSuccess, "in login"},
        {"/Library/Keychains/System.keychain", errSecSuccess, errSecItemNotFound, ""},
        {"/Users/admin/../admin/Library/Keychains/login.keychain", errSecNoSuchKeychain, errSecNoSuchKeychain, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        SecKeychainRef opened;
        EXPECT_EQ(keychain_.open(c.path, opened), c.openStatus);
        ASSERT_TRUE(opened);
        SecKeychainData data;
        EXPECT_EQ(keychain_.findGenericPassword(opened, "svc", "admin", &data, nullptr), c.findStatus);
        EXPECT_EQ(std::string(data.begin(), data.end()), c.password);
    }
    EXPECT_FALSE(fs::exists(dir_ / "Library/Keychains/System.keychain"));
}

TEST_F(KeychainServicesTest, CorruptKeychainFailsWithoutLosingIt)
{
    fs::create_directories(fs::path(keychain_.defaultKeychainPath()).parent_path());
    std::ofstream(keychain_.defaultKeychainPath()) << "not a property list";
    EXPECT_EQ(keychain_.addGenericPassword(nullptr, "svc", "admin", "pw", nullptr), errSecInvalidKeychain);
    OSStatus status = errSecSuccess;
    password("svc", "admin", &status);
    EXPECT_EQ(status, errSecInvalidKeychain);
    EXPECT_EQ(readText(keychain_.defaultKeychainPath()), "not a property list");
}

TEST_F(KeychainServicesTest, MessagesFreeingAndInteraction)
{
    const std::vector<std::pair<OSStatus, std::string>> messages = {
        {errSecItemNotFound, "The specified item could not be found in the keychain."},
        {errSecDuplicateItem, "The specified item already exists in the keychain."},
        {errSecInvalidKeychain, "The specified keychain is not a valid keychain file."},
        {12345, "OSStatus 12345"},
    };
    for (const auto& [status, text] : messages)
        EXPECT_EQ(keychain_.errorMessage(status), text);
    SecKeychainData data = bytes("secret");
    EXPECT_EQ(keychain_.freeContent(data), errSecSuccess);
    EXPECT_TRUE(data.empty());
    EXPECT_EQ(keychain_.setUserInteractionAllowed(false), errSecSuccess);
    EXPECT_FALSE(keychain_.userInteractionAllowed());
}

TEST_F(KeychainServicesTest, WritersInParallelLoseNothing)
{
    constexpr int kWriters = 4;
    constexpr int kEach = 10;
    std::vector<std::thread> writers;
    for (int w = 0; w < kWriters; ++w)
        writers.emplace_back([this, w] {
            KeychainServicesEmulated own(PlatformPaths(dir_.path()), "admin");
            for (int i = 0; i < kEach; ++i)
                own.addGenericPassword(nullptr, "svc", std::to_string(w) + "-" + std::to_string(i), "pw", nullptr);
        });
    for (std::thread& writer : writers)
        writer.join();
    KeychainItems items;
    ASSERT_EQ(readKeychain(keychain_.defaultKeychainPath(), items), errSecSuccess);
    EXPECT_EQ(items.size(), static_cast<std::size_t>(kWriters * kEach));
}

} // namespace
} // namespace veltrona::test
