// Storing a new shared secret: the keychain item racoon reads and the installed server file agree.

#include "vpnserver/SharedSecret.h"
#include "foundation/PlistIO.h"
#include "tests/support/PrivilegedMac.h"
#include "tests/support/ProcessRun.h"
#include "vpnserver/ServerFileLocations.h"
#include "vpnserver/SharedSecretData.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

TEST(SharedSecret, CommandTextsWithAPlainSecretAreTheMacs)
{
    const PlatformPaths mac("");
    EXPECT_EQ(deleteSharedSecretCommand(mac)[2], "sudo security delete-generic-password -a com.apple.ppp.L2TP -s "
                                                 "com.apple.net.racoon /Library/Keychains/System.keychain");
    EXPECT_EQ(addSharedSecretCommand(mac, "s3cret\xC3\xA9")[2],
              "sudo security add-generic-password -a com.apple.ppp.L2TP -s com.apple.net.racoon -T /usr/sbin/racoon "
              "-p s3cret\xC3\xA9 /Library/Keychains/System.keychain");
}

class SharedSecretStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivilegedMac::available())
            FAIL() << "shellTool or the stand-in tools are not where the build puts them: a path look-up is broken";
        mac.emplace();
        locations.emplace(mac->resources(), mac->paths());
        fs::create_directories(locations->installationDirectory());
        fs::copy_file(fs::path(mac->resources()) / "VPNStuff" / kServerFileName, locations->installedServerFile());
    }

    // What racoon would find, or nothing.
    std::optional<std::string> keychainSecret() const
    {
        const ProcessRun found = runProgram((mac->root() / "usr/bin/security").string(),
                                            {"find-generic-password", "-a", "com.apple.ppp.L2TP", "-s",
                                             "com.apple.net.racoon", "-w", "/Library/Keychains/System.keychain"},
                                            {{"VELTRONA_PLATFORM_ROOT", mac->root().string()}});
        if (found.exitStatus != 0)
            return std::nullopt;
        return found.out.substr(0, found.out.size() - 1);
    }

    std::optional<std::string> fileSecret() const
    {
        const std::optional<PlistValue> root = readPlistDictionaryFile(locations->installedServerFile());
        const PlistValue* stored = root ? root->dictionary()->find("SharedSecret") : nullptr;
        return stored ? std::optional<std::string>(sharedSecretText(stored)) : std::nullopt;
    }

    std::optional<PrivilegedMac> mac;
    std::optional<ServerFileLocations> locations;
};

TEST_F(SharedSecretStore, TheKeychainAndTheFileAgreeOnEverySecret)
{
    const fs::path trap = mac->root() / "trap";
    // Secrets read back from a file may hold anything; each arrives unchanged, and runs nothing.
    for (const std::string& secret : std::vector<std::string>{"Plain42", "two words", "it's \"quoted\"",
                                                              "$(touch " + trap.string() + ")", "s\xC3\xA9same"}) {
        ASSERT_TRUE(storeSharedSecret(secret, *locations, mac->runner()).ok()) << secret;
        EXPECT_EQ(keychainSecret(), secret);
        EXPECT_EQ(fileSecret(), secret);
    }
    EXPECT_FALSE(fs::exists(trap));

    // Storing the same secret again still replaces the item.
    ASSERT_TRUE(storeSharedSecret("Plain42", *locations, mac->runner()).ok());
    ASSERT_TRUE(storeSharedSecret("Plain42", *locations, mac->runner()).ok());
    EXPECT_EQ(keychainSecret(), "Plain42");

    // The empty secret: no item, no key; the rest of the file stays.
    ASSERT_TRUE(storeSharedSecret("", *locations, mac->runner()).ok());
    EXPECT_EQ(keychainSecret(), std::nullopt);
    EXPECT_EQ(fileSecret(), std::nullopt);
    EXPECT_TRUE(readPlistDictionaryFile(locations->installedServerFile())->dictionary()->find("Servers"));
    EXPECT_TRUE(mac->log().lines.empty());
}

TEST_F(SharedSecretStore, WithoutAnInstalledFileTheKeychainStillChanges)
{
    fs::remove(locations->installedServerFile());
    EXPECT_FALSE(storeSharedSecret("Later1", *locations, mac->runner()).ok());
    EXPECT_EQ(keychainSecret(), "Later1");
    EXPECT_FALSE(fs::exists(locations->installedServerFile()));
}

} // namespace
} // namespace veltrona::test
