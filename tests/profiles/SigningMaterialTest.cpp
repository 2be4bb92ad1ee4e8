// Which certificate and key a profile is signed with, and the exact command that signs it.

#include "profiles/SigningMaterial.h"
#include "profiles/ProfileExport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

TEST(SigningCommand, TextsWithAnEmptyRoot)
{
    const PlatformPaths mac;
    const std::string desktop = desktopFolder(mac, "/Users/alice");
    ASSERT_EQ(desktop, "/Users/alice/Desktop");
    const std::string profile = desktop + "/" + profileFileName("alice", "L2TP");
    const std::string signedProfile = desktop + "/" + signedProfileFileName("alice", "L2TP");

    const SigningFiles host = signingFilesFor(mac, "vpn.example.org");
    const SigningFiles fallback = signingFilesFor(mac, "testServer");
    const SigningFiles blank = signingFilesFor(mac, "vpn example.org");
    const SigningFiles injected = signingFilesFor(mac, "a.b; touch x");
    const std::vector<std::pair<SigningMaterial, std::string>> table = {
        {{host.certificate, host.key, host.intermediate},
         "/usr/bin/openssl smime -sign -in /Users/alice/Desktop/alice.L2TP.mobileconfig"
         " -out /Users/alice/Desktop/signed.alice.L2TP.mobileconfig"
         " -signer /usr/local/quillfen/ssl/certs/vpn.example.org.crt"
         " -inkey /usr/local/quillfen/ssl/private/vpn.example.org.key -passin pass:"
         " -certfile /usr/local/quillfen/ssl/certs/vpn.example.org.IntermediateCA.crt -outform der -nodetach"},
        {{fallback.certificate, fallback.key, std::nullopt},
         "/usr/bin/openssl smime -sign -in /Users/alice/Desktop/alice.L2TP.mobileconfig"
         " -out /Users/alice/Desktop/signed.alice.L2TP.mobileconfig"
         " -signer /usr/local/quillfen/ssl/certs/testServer.crt"
         " -inkey /usr/local/quillfen/ssl/private/testServer.key -passin pass: -outform der -nodetach"},
        {{blank.certificate, blank.key, blank.intermediate},
         "/usr/bin/openssl smime -sign -in /Users/alice/Desktop/alice.L2TP.mobileconfig"
         " -out /Users/alice/Desktop/signed.alice.L2TP.mobileconfig"
         " -signer '/usr/local/quillfen/ssl/certs/vpn example.org.crt'"
         " -inkey '/usr/local/quillfen/ssl/private/vpn example.org.key' -passin pass:"
         " -certfile '/usr/local/quillfen/ssl/certs/vpn example.org.IntermediateCA.crt' -outform der -nodetach"},
        {{injected.certificate, injected.key, std::nullopt},
         "/usr/bin/openssl smime -sign -in /Users/alice/Desktop/alice.L2TP.mobileconfig"
         " -out /Users/alice/Desktop/signed.alice.L2TP.mobileconfig"
         " -signer '/usr/local/quillfen/ssl/certs/a.b; touch x.crt'"
         " -inkey '/usr/local/quillfen/ssl/private/a.b; touch x.key' -passin pass: -outform der -nodetach"},
    };
    for (const auto& [material, expected] : table)
        EXPECT_EQ(signingCommand(profile, signedProfile, material), expected);
    EXPECT_EQ(fallback.intermediate, "/usr/local/quillfen/ssl/certs/testServer.IntermediateCA.crt");
}

// A root holding some of the signing files, each an empty file.
class SigningLookUp : public ::testing::Test {
protected:
    void put(const std::vector<std::string>& names)
    {
        fs::remove_all(dir.path());
        fs::create_directories(dir / "usr/local/quillfen/ssl/certs");
        fs::create_directories(dir / "usr/local/quillfen/ssl/private");
        for (const std::string& name : names)
            std::ofstream(dir / "usr/local/quillfen/ssl" / name).flush();
    }
    TempDir dir;
    PlatformPaths mac{dir.path()};
};

TEST_F(SigningLookUp, HostPairFirstThenTheFallbackWithoutIntermediate)
{
    struct Row {
        const char* why;
        std::vector<std::string> files;
        std::string host;
        std::optional<std::string> signer; // certificate name under certs/, or no material
        bool intermediate;
    };
    const std::string hostPair[] = {"certs/h.org.crt", "private/h.org.key"};
    const std::vector<Row> table = {
        {"host pair", {hostPair[0], hostPair[1]}, "h.org", "h.org.crt", false},
        {"host pair and intermediate",
         {hostPair[0], hostPair[1], "certs/h.org.IntermediateCA.crt"},
         "h.org",
         "h.org.crt",
         true},
        {"host pair wins over the fallback",
         {hostPair[0], hostPair[1], "certs/testServer.crt", "private/testServer.key"},
         "h.org",
         "h.org.crt",
         false},
        {"fallback only", {"certs/testServer.crt", "private/testServer.key"}, "h.org", "testServer.crt", false},
        {"fallback never takes an intermediate",
         {"certs/testServer.crt", "private/testServer.key", "certs/testServer.IntermediateCA.crt",
          "certs/h.org.IntermediateCA.crt"},
         "h.org",
         "testServer.crt",
         false},
        {"half a host pair",
         {hostPair[0], "certs/testServer.crt", "private/testServer.key"},
         "h.org",
         "testServer.crt",
         false},
        {"key only", {hostPair[1]}, "h.org", std::nullopt, false},
        {"nothing", {}, "h.org", std::nullopt, false},
        {"empty host looks for .crt", {"certs/.crt", "private/.key"}, "", ".crt", false},
        {"host reaching out of the folder", {"certs/x.crt", "private/x.key"}, "../certs/x", std::nullopt, false},
        {"host with a slash, fallback present",
         {"certs/testServer.crt", "private/testServer.key"},
         "../certs/x",
         "testServer.crt",
         false},
        {"host with a NUL", {"certs/h.crt", "private/h.key"}, std::string("h\0.x", 4), std::nullopt, false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.why);
        put(row.files);
        const std::optional<SigningMaterial> found = findSigningMaterial(mac, row.host);
        EXPECT_EQ(signingPossible(mac, row.host), row.signer.has_value());
        if (!row.signer) {
            EXPECT_FALSE(found.has_value());
            continue;
        }
        ASSERT_TRUE(found.has_value());
        const std::string name = row.signer->substr(0, row.signer->size() - 4);
        const SigningFiles files = signingFilesFor(mac, name);
        EXPECT_EQ(found->signer, files.certificate);
        EXPECT_EQ(found->key, files.key);
        EXPECT_EQ(found->intermediate, row.intermediate ? std::optional(files.intermediate) : std::nullopt);
    }
}

} // namespace
} // namespace veltrona::test
