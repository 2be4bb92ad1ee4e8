// check, end to end: veltronactl on an emulated Mac whose dig asks a DNS responder of the test
// on loopback, before and after the setup is broken in two places.
#include "foundation/PlistIO.h"
#include "platform/PlatformPaths.h"
#include "tests/cli/CliMac.h"
#include "tests/network/LoopbackDnsResponder.h"
#include "tests/support/FileText.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace veltrona::test {
namespace {

std::string realDig()
{
    for (const char* candidate : {"/usr/bin/dig", "/bin/dig"})
        if (::access(candidate, X_OK) == 0)
            return candidate;
    return {};
}

// The emulated Mac's dig sends every query to that port on loopback, never further.
void digToPort(const std::filesystem::path& root, const std::string& dig, int port)
{
    const std::filesystem::path wrapper = root / "usr/bin/dig";
    writeText(wrapper, "#!/bin/sh\nexec " + dig + " -p " + std::to_string(port) + " \"$@\"\n");
    ::chmod(wrapper.c_str(), 0755);
}

// The user's ShadowHashData without its SMB-NT entry, as for a password set before the directory
// kept one.
void dropNtHash(const std::filesystem::path& root, const std::string& user)
{
    const std::filesystem::path file = root / ("var/db/dslocal/nodes/Default/users/" + user + ".plist");
    std::optional<PlistValue> record = readPlistFile(file);
    ASSERT_TRUE(record && record->dictionary());
    PlistArray* shadow = record->dictionary()->find("ShadowHashData")->array();
    ASSERT_TRUE(shadow && !shadow->empty() && shadow->front().data());
    const PlistData& bytes = *shadow->front().data();
    std::optional<PlistValue> entries = parsePlist(std::string(bytes.begin(), bytes.end()));
    ASSERT_TRUE(entries && entries->dictionary() && entries->dictionary()->remove("SMB-NT"));
    const std::string xml = plistToXml(*entries);
    shadow->front() = PlistData(xml.begin(), xml.end());
    ASSERT_TRUE(writePlistAtomically(*record->dictionary(), file).ok());
}

std::string lineOf(const std::string& text, const std::string& start)
{
    const std::size_t at = text.find(start);
    return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
}

TEST(CliCheck, ReportsEachCheckAndFailsOnlyOnAFailure)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
    const std::string dig = realDig();
    if (dig.empty())
        GTEST_SKIP() << "dig is not installed";
    CliMac mac;
    LoopbackDnsResponder responder({"localhost."});
    ASSERT_NE(responder.port(), 0);
    digToPort(mac.root(), dig, responder.port());
    ASSERT_EQ(mac.run({"settings", "set", "host=vpn.example.org", "dns=127.0.0.1", "range=192.168.1.224-192.168.1.254"})
                  .exitStatus,
              0);
    ASSERT_EQ(mac.run({"secret", "set"}, "Sesame42\n").exitStatus, 0);
    ASSERT_EQ(mac.run({"users", "add", "alice"}, "correct horse\n").exitStatus, 0);
    ASSERT_EQ(mac.run({"users", "add", "bob"}, "battery staple\n").exitStatus, 0);

    const ProcessRun good = mac.run({"check"});
    EXPECT_EQ(lineOf(good.out, "Shared secret:"), "Shared secret:           passed   set");
    EXPECT_EQ(lineOf(good.out, "VPN accounts:"), "VPN accounts:            passed   2 accounts; each can log in");
    EXPECT_EQ(lineOf(good.out, "DNS servers:"), "DNS servers:             passed   answered");
    EXPECT_EQ(lineOf(good.out, "Signing certificate:"),
              "Signing certificate:     passed   no certificate of the host's own");
    EXPECT_NE(lineOf(good.out, "Address range:").find("warning"), std::string::npos) << good.out;
    // Whether this machine can serve (root, SoftEther, free ports) is its own; the exit status
    // follows what was printed.
    const bool anyFailed = good.out.find(" failed ") != std::string::npos;
    EXPECT_EQ(good.exitStatus, anyFailed ? 1 : 0) << good.out << good.err;
    EXPECT_FALSE(responder.questions().empty()) << "the DNS server was asked";

    dropNtHash(mac.root(), "bob");
    digToPort(mac.root(), dig, closedLoopbackUdpPort());
    const ProcessRun broken = mac.run({"check", "--json"});
    EXPECT_EQ(broken.exitStatus, 1);
    EXPECT_NE(broken.out.find(R"({"name":"VPN accounts","result":"failed","message":"Set the password again for bob )"
                              R"(so that they can log in over the VPN."})"),
              std::string::npos)
        << broken.out;
    EXPECT_NE(broken.out.find(R"({"name":"DNS servers","result":"failed","message":"Check that the DNS server )"
                              R"(127.0.0.1 is reachable, or enter another one."})"),
              std::string::npos)
        << broken.out;
    EXPECT_NE(broken.out.find(R"("error":"The setup check \"VPN accounts\" failed: Set the password again for bob)"),
              std::string::npos)
        << broken.out;
    EXPECT_FALSE(mac.jobLoaded()); // checking starts nothing
}

} // namespace
} // namespace veltrona::test
