// The reverse look-up with the real dig against a DNS responder of the test on 127.0.0.1.
// The command text names no port, so a `dig` first on PATH adds the responder's port and runs
// the real one: the text under test stays the program's own.

#include "network/AddressSuggestion.h"
#include "tests/network/LoopbackDnsResponder.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/ShellRunner.h"
#include "tests/support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <vector>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

std::string realDig()
{
    for (const char* candidate : {"/usr/bin/dig", "/bin/dig"}) {
        if (fs::exists(candidate))
            return candidate;
    }
    return {};
}

// A folder holding a `dig` that sends every query to the port on 127.0.0.1.
void writeDigWithPort(const fs::path& folder, const std::string& dig, int port)
{
    const fs::path wrapper = folder / "dig";
    writeText(wrapper, "#!/bin/sh\nexec " + dig + " -p " + std::to_string(port) + " \"$@\"\n");
    fs::permissions(wrapper, fs::perms::owner_all);
}

struct DigCase {
    const char* name;
    std::vector<std::string> answers;
    std::string hostField;
    std::optional<std::string> expectedHost;
};

// Failures name the case, not its bytes.
void PrintTo(const DigCase& c, std::ostream* out)
{
    *out << c.name;
}

class ReverseLookUpDig : public ::testing::TestWithParam<DigCase> { };

TEST_P(ReverseLookUpDig, HostNameFromTheResponder)
{
    const std::string dig = realDig();
    if (dig.empty())
        GTEST_SKIP() << "dig is not installed";
    const DigCase& c = GetParam();
    LoopbackDnsResponder responder(c.answers);
    ASSERT_NE(responder.port(), 0);
    TempDir tools;
    writeDigWithPort(tools.path(), dig, responder.port());
    ShellRunner runner(tools.path().string());

    // The second server is never asked: dig is told the first alone.
    const NetworkValues values{{"192.168.1.37"}, {"127.0.0.1", "10.0.0.2"}};
    const AddressSuggestion got = suggestIPAddresses(values, c.hostField, runner);

    EXPECT_EQ(got.vpnHost, c.expectedHost);
    EXPECT_EQ(got.dnsServerAddresses, "127.0.0.1, 10.0.0.2");
    EXPECT_EQ(responder.questions(), std::vector<std::string>{"37.1.168.192.in-addr.arpa."});
}

INSTANTIATE_TEST_SUITE_P(
    Dig, ReverseLookUpDig,
    ::testing::Values(DigCase{"OneName", {"vpn.example.com."}, "", "vpn.example.com"},
                      DigCase{"TwoNames", {"a.example.com.", "b.example.com."}, "", "a.example.com.\nb.example.com"},
                      DigCase{"NoRecord", {}, "", std::nullopt},
                      DigCase{"HostFieldFilled", {"vpn.example.com."}, "mine.example", std::nullopt}),
    [](const ::testing::TestParamInfo<DigCase>& info) { return std::string(info.param.name); });

// dig reports an unreachable server on standard output; that report is no host name.
TEST(ReverseLookUpDigFailure, NoResponderLeavesTheHostField)
{
    const std::string dig = realDig();
    if (dig.empty())
        GTEST_SKIP() << "dig is not installed";
    const int port = closedLoopbackUdpPort();
    ASSERT_NE(port, 0);
    TempDir tools;
    writeDigWithPort(tools.path(), dig, port);
    ShellRunner runner(tools.path().string());

    const AddressSuggestion got = suggestIPAddresses({{"127.0.0.1"}, {"127.0.0.1"}}, "", runner);

    EXPECT_EQ(got.lookUpCommand, "dig @127.0.0.1 -x 127.0.0.1 +short");
    EXPECT_EQ(got.vpnHost, std::nullopt);
    EXPECT_EQ(runner.runs().size(), 1u);
}

} // namespace
} // namespace veltrona::test
