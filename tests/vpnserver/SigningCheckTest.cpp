// The host's signing certificate against pairs openssl itself makes: a certificate authority, a
// host certificate it issued, and a stranger's key and certificate.

#include "vpnserver/SigningCheck.h"

#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

constexpr std::time_t kDay = 24 * 60 * 60;

class SigningCheckTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!programAvailable("openssl"))
            GTEST_SKIP() << "openssl is not installed";
        makePair("ca", "/CN=Test CA", {});
        makePair("stranger", "/CN=Stranger", {});
        makePair("host", "/CN=vpn.example.org", "ca");
    }

    std::string at(const std::string& name) const { return (dir_.path() / name).string(); }

    // NAME.crt and NAME.key, self-signed or issued by ISSUER, valid for 365 days.
    void makePair(const std::string& name, const std::string& subject, const std::string& issuer)
    {
        const ProcessRun key = runProgram("openssl", {"genpkey", "-algorithm", "EC", "-pkeyopt",
                                                      "ec_paramgen_curve:P-256", "-out", at(name + ".key")});
        ASSERT_EQ(key.exitStatus, 0) << key.err;
        std::vector<std::string> arguments{
            "req",  "-new",           "-x509", "-days", "365", "-subj", subject, "-key", at(name + ".key"),
            "-out", at(name + ".crt")};
        if (!issuer.empty()) {
            arguments.insert(arguments.end(), {"-CA", at(issuer + ".crt"), "-CAkey", at(issuer + ".key")});
        }
        const ProcessRun certificate = runProgram("openssl", arguments);
        ASSERT_EQ(certificate.exitStatus, 0) << certificate.err;
    }

    TempDir dir_;
};

TEST_F(SigningCheckTest, TheHostsPairMustMatchStayValidAndBeIssuedByItsChain)
{
    const std::time_t now = std::time(nullptr);
    struct Case {
        const char* what;
        SigningCheckFiles files;
        std::time_t when;
        CheckResult result;
        std::string message;
    };
    const std::vector<Case> cases{
        {"no pair of the host's own",
         {at("none.crt"), at("none.key"), at("none.ca")},
         now,
         CheckResult::Pass,
         "no certificate of the host's own"},
        {"a matching pair with its issuer",
         {at("host.crt"), at("host.key"), at("ca.crt")},
         now,
         CheckResult::Pass,
         "the certificate and key belong together and stay valid"},
        {"a matching pair without a chain file",
         {at("host.crt"), at("host.key"), at("none.ca")},
         now,
         CheckResult::Pass,
         "the certificate and key belong together and stay valid"},
        {"another's key",
         {at("host.crt"), at("stranger.key"), ""},
         now,
         CheckResult::Fail,
         "Replace the key or the certificate so that they belong together."},
        {"a chain that did not issue it",
         {at("host.crt"), at("host.key"), at("stranger.crt")},
         now,
         CheckResult::Fail,
         "Replace " + at("stranger.crt") + " with the certificate that issued the host's certificate."},
        {"29 days before expiry",
         {at("host.crt"), at("host.key"), ""},
         now + 336 * kDay,
         CheckResult::Fail,
         "Renew the certificate: it expires within 30 days."},
        {"31 days before expiry",
         {at("host.crt"), at("host.key"), ""},
         now + 333 * kDay,
         CheckResult::Pass,
         "the certificate and key belong together and stay valid"},
        {"expired",
         {at("host.crt"), at("host.key"), ""},
         now + 366 * kDay,
         CheckResult::Fail,
         "Renew the certificate: it has expired."},
        {"the key missing",
         {at("host.crt"), at("none.key"), ""},
         now,
         CheckResult::Fail,
         "Put the private key for " + at("host.crt") + " at " + at("none.key") + "."},
        {"the certificate missing",
         {at("none.crt"), at("host.key"), ""},
         now,
         CheckResult::Fail,
         "Put the certificate for " + at("host.key") + " at " + at("none.crt") + "."},
        {"a certificate that is a key",
         {at("host.key"), at("host.key"), ""},
         now,
         CheckResult::Fail,
         "Replace " + at("host.key") + " with a certificate in PEM form."},
    };
    for (const Case& c : cases) {
        const SetupCheck check = checkSigning(c.files, c.when);
        EXPECT_EQ(check.name, "Signing certificate");
        EXPECT_EQ(check.result, c.result) << c.what;
        EXPECT_EQ(check.message, c.message) << c.what;
    }
}

TEST_F(SigningCheckTest, AKeyBehindAPassPhraseIsNotAskedFor)
{
    const ProcessRun locked = runProgram(
        "openssl", {"pkey", "-in", at("host.key"), "-aes256", "-passout", "pass:secret", "-out", at("locked.key")});
    ASSERT_EQ(locked.exitStatus, 0) << locked.err;
    const SetupCheck check = checkSigning({at("host.crt"), at("locked.key"), ""}, std::time(nullptr));
    EXPECT_EQ(check.result, CheckResult::Fail);
    EXPECT_EQ(check.message, "Replace " + at("locked.key") + " with a private key in PEM form without a pass phrase.");
}

} // namespace
} // namespace veltrona::test
