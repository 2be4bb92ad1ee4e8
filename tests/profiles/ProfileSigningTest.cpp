// Profiles written onto the Desktop and signed through the real runner and openssl, with
// certificates from a throw-away CA, on a temporary emulated Mac.

#include "foundation/PlistIO.h"
#include "profiles/ProfileBuilder.h"
#include "profiles/ProfileExport.h"
#include "profiles/SigningMaterial.h"
#include "tests/profiles/ThrowAwayCa.h"
#include "tests/support/FileText.h"
#include "tests/support/PrivilegedMac.h"
#include "tests/support/ProcessRun.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

class ProfileSigning : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(ca.ok()) << "openssl could not make the test CA"; }
    void TearDown() override { EXPECT_FALSE(fs::exists(injected())) << "a command ran that was not the signing"; }

    // Where a command that escaped its word would leave its mark: the runner's working directory.
    fs::path injected() const { return fs::path(mac.resources()) / "injected"; }

    fs::path certs() const { return mac.root() / "usr/local/quillfen/ssl/certs"; }
    fs::path keys() const { return mac.root() / "usr/local/quillfen/ssl/private"; }
    fs::path profileFile() const { return fs::path(desktop) / "alice.L2TP.mobileconfig"; }
    fs::path signedFile() const { return fs::path(desktop) / "signed.alice.L2TP.mobileconfig"; }

    // Puts a pair where signing looks for `name`'s files; with `intermediate`, the CA's too.
    void install(const std::string& name, const ThrowAwayCa::Pair& pair, bool intermediate = false)
    {
        fs::create_directories(certs());
        fs::create_directories(keys());
        fs::copy_file(pair.certificate, certs() / (name + ".crt"), fs::copy_options::overwrite_existing);
        fs::copy_file(pair.key, keys() / (name + ".key"), fs::copy_options::overwrite_existing);
        if (intermediate)
            fs::copy_file(ca.intermediateCertificate(), certs() / (name + ".IntermediateCA.crt"));
    }
    void removeSigningFiles()
    {
        fs::remove_all(certs());
        fs::remove_all(keys());
    }

    PlistDictionary profileFor(const std::string& host)
    {
        const ProfileBuild build = buildProfileFromTemplate(std::string(VELTRONA_VPNSTUFF_DIR) + "/VPN.mobileconfig",
                                                            {"L2TP", host, "secret", "alice", "pw"});
        EXPECT_TRUE(build.ok());
        return build.profile;
    }
    ExportResult write(const PlistDictionary& profile, const std::string& host, bool sign = true)
    {
        return writeProfileAutomatically(profile, "alice", "L2TP", host, {desktop, mac.paths(), sign}, mac.runner(),
                                         mac.log());
    }

    PrivilegedMac mac;
    ThrowAwayCa ca;
    std::string desktop = desktopFolder(mac.paths(), std::string("/Users/") + kTestAdminName);
};

// openssl signs text in its canonical form, with CR LF line ends.
std::string withoutCarriageReturns(std::string text)
{
    std::erase(text, '\r');
    return text;
}

TEST_F(ProfileSigning, SignedProfileVerifiesAgainstTheCaAndHoldsTheProfile)
{
    struct Row {
        const char* why;
        std::string host;
        std::string pairName; // the host, or the fallback
        bool byIntermediate;
    };
    const std::vector<Row> table = {
        {"host pair with intermediate", "vpn.example.org", "vpn.example.org", true},
        {"host pair issued by the root", "vpn.example.org", "vpn.example.org", false},
        {"fallback pair only", "vpn.example.org", "testServer", false},
        {"host with a blank", "vpn example.org", "vpn example.org", true},
        {"host with a semicolon", "a.b;touch injected;true", "a.b;touch injected;true", false},
        {"host with command substitutions", "a$(touch injected)`touch injected`'\"",
         "a$(touch injected)`touch injected`'\"", false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.why);
        removeSigningFiles();
        install(row.pairName, ca.issue(row.pairName, row.byIntermediate), row.byIntermediate);
        ASSERT_TRUE(signingPossible(mac.paths(), row.host));

        const PlistDictionary profile = profileFor(row.host);
        EXPECT_EQ(write(profile, row.host), ExportResult::Signed);
        EXPECT_FALSE(fs::exists(profileFile()));
        const std::optional<std::string> content = verifiedContent(signedFile(), ca);
        ASSERT_TRUE(content.has_value());
        EXPECT_EQ(withoutCarriageReturns(*content), plistToXml(profile));
    }
    EXPECT_TRUE(mac.log().lines.empty());
    // Only the signed profile is left; nothing was kept aside.
    EXPECT_EQ(std::distance(fs::directory_iterator(desktop), fs::directory_iterator()), 1);
}

TEST_F(ProfileSigning, WithoutAPairOrWithSigningOffTheProfileStaysUnsigned)
{
    const PlistDictionary profile = profileFor("vpn.example.org");
    EXPECT_FALSE(signingPossible(mac.paths(), "vpn.example.org"));
    EXPECT_EQ(write(profile, "vpn.example.org"), ExportResult::NoSigningMaterial);
    EXPECT_EQ(readText(profileFile()), plistToXml(profile));
    // It holds the password and the shared secret: no other user may read it.
    EXPECT_EQ(fs::status(profileFile()).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(signedFile()));
    EXPECT_EQ(mac.log().lines.size(), 1u);

    install("vpn.example.org", ca.issue("vpn.example.org", false));
    const PlistDictionary second = profileFor("vpn.example.org");
    EXPECT_EQ(write(second, "vpn.example.org", false), ExportResult::Written);
    EXPECT_EQ(readText(profileFile()), plistToXml(second)) << "an earlier profile is replaced";
    EXPECT_FALSE(fs::exists(signedFile()));
    EXPECT_EQ(mac.log().lines.size(), 1u);
}

TEST_F(ProfileSigning, FailedSigningKeepsTheUnsignedAndTheEarlierSignedProfile)
{
    install("vpn.example.org", ca.issue("vpn.example.org", false));
    ASSERT_EQ(write(profileFor("vpn.example.org"), "vpn.example.org"), ExportResult::Signed);
    const std::string earlierSigned = readText(signedFile());

    // A key that does not belong to the certificate: openssl refuses to sign.
    fs::copy_file(ca.issue("other", false).key, keys() / "vpn.example.org.key", fs::copy_options::overwrite_existing);
    const PlistDictionary profile = profileFor("vpn.example.org");
    EXPECT_EQ(write(profile, "vpn.example.org"), ExportResult::SigningFailed);
    EXPECT_EQ(readText(profileFile()), plistToXml(profile));
    EXPECT_EQ(readText(signedFile()), earlierSigned);
    EXPECT_EQ(mac.log().lines.size(), 1u);
    EXPECT_EQ(std::distance(fs::directory_iterator(desktop), fs::directory_iterator()), 2);
}

// openssl runs as root and would leave its file readable by everyone; the profile in it holds the
// password and the shared secret.
TEST_F(ProfileSigning, TheSignedProfileIsOwnerOnlyAndBelongsToTheDesktopsOwner)
{
    install("vpn.example.org", ca.issue("vpn.example.org", false));
    // As root the Desktop is given to "nobody", so the owner must really be handed over.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(desktop.c_str(), 65534, 65534), 0);
    }
    struct stat folder { };
    ASSERT_EQ(::stat(desktop.c_str(), &folder), 0);
    const mode_t previous = ::umask(022);
    const ExportResult result = write(profileFor("vpn.example.org"), "vpn.example.org");
    ::umask(previous);
    ASSERT_EQ(result, ExportResult::Signed);
    struct stat made { };
    ASSERT_EQ(::lstat(signedFile().c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 07777, 0600U);
    EXPECT_EQ(made.st_uid, folder.st_uid);
    EXPECT_EQ(made.st_gid, folder.st_gid);
    EXPECT_TRUE(verifiedContent(signedFile(), ca).has_value());
}

// A key protected by a pass phrase would make openssl ask for it on the terminal the program was
// started from, and the window would wait for an answer nobody gives.
TEST_F(ProfileSigning, AKeyThatNeedsAPassPhraseIsNeverUsed)
{
    const ThrowAwayCa::Pair pair = ca.issue("vpn.example.org", false);
    install("vpn.example.org", pair);
    const ProcessRun encrypted =
        runProgram("openssl", {"pkey", "-in", pair.key.string(), "-aes256", "-passout", "pass:hunter2", "-out",
                               (keys() / "vpn.example.org.key").string()});
    ASSERT_EQ(encrypted.exitStatus, 0) << encrypted.err;
    const PlistDictionary profile = profileFor("vpn.example.org");
    EXPECT_EQ(write(profile, "vpn.example.org"), ExportResult::KeyNeedsPassPhrase);
    EXPECT_EQ(readText(profileFile()), plistToXml(profile)) << "the unsigned profile stays";
    EXPECT_FALSE(fs::exists(signedFile()));
    ASSERT_EQ(mac.log().lines.size(), 1u);
    EXPECT_NE(mac.log().lines.front().find("pass phrase"), std::string::npos);

    // Were the check ever passed by, the command itself never asks: run on a terminal of its own
    // (script's), openssl fails without a prompt rather than wait for a pass phrase.
    const SigningMaterial material{(certs() / "vpn.example.org.crt").string(),
                                   (keys() / "vpn.example.org.key").string(), std::nullopt};
    const std::string command = signingCommand(profileFile().string(), signedFile().string(), material);
    const ProcessRun onTerminal =
        runProgram("script", {"-qec", "timeout --foreground -s KILL 10 " + command, "/dev/null"});
    EXPECT_EQ(onTerminal.out.find("pass phrase"), std::string::npos) << onTerminal.out;
    EXPECT_NE(onTerminal.exitStatus, 0);
    EXPECT_FALSE(fs::exists(signedFile()) && fs::file_size(signedFile()) > 0);
}

TEST_F(ProfileSigning, AProfileThatCannotBeWrittenIsNotSigned)
{
    install("vpn.example.org", ca.issue("vpn.example.org", false));
    fs::remove_all(desktop);
    EXPECT_EQ(write(profileFor("vpn.example.org"), "vpn.example.org"), ExportResult::NotWritten);
    EXPECT_EQ(mac.log().lines, std::vector<std::string>{"can't find file"});
    EXPECT_FALSE(fs::exists(signedFile()));
}

} // namespace
} // namespace veltrona::test
