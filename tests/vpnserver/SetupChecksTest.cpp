// The setup checks on a temporary root, with the platform's answers given by a recording runner:
// one table, one case per way a check can pass, warn or fail.

#include "vpnserver/SetupChecks.h"
#include "vpnserver/ServingState.h"

#include "tests/support/FileText.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <functional>

namespace veltrona::test {
namespace {

std::string hexOf(const std::string& bytes)
{
    static const char* const digits = "0123456789abcdef";
    std::string text;
    for (unsigned char byte : bytes) {
        text.push_back(digits[byte >> 4]);
        text.push_back(digits[byte & 0xf]);
    }
    return text;
}

// ShadowHashData as dscl shows it: the hex of a property list, here in XML form.
std::string shadowHex(bool withNtHash)
{
    std::string entries = "<key>SALTED-SHA512-PBKDF2</key><dict/>";
    if (withNtHash)
        entries += "<key>SMB-NT</key><data>h42AFGBs2ilnekTvoTU/xw==</data>"; // 16 bytes
    return hexOf("<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>" + entries + "</dict></plist>");
}

std::string listingRecord(const std::string& name, const std::string& shadow)
{
    std::string record = "<dict><key>dsAttrTypeStandard:RecordName</key><array><string>" + name + "</string></array>";
    if (!shadow.empty())
        record += "<key>dsAttrTypeNative:ShadowHashData</key><array><string>" + shadow + "</string></array>";
    return record + "</dict>";
}

std::string listing(const std::string& records)
{
    return "<?xml version=\"1.0\"?><plist version=\"1.0\"><array>" + records + "</array></plist>";
}

const std::string kDigAnswer = "; <<>> DiG 9.18 <<>> @10.0.0.1 -x 127.0.0.1\n;; Got answer:\n"
                               ";; ->>HEADER<<- opcode: QUERY, status: NXDOMAIN, id: 4242";
const std::string kDigSilence = ";; connection timed out; no servers could be reached";
const std::string kUdpHeader =
    "  sl  local_address rem_address   st tx_queue rx_queue tr tm->when retrnsmt   uid  timeout inode\n";
const std::string kUdp500 =
    "  12: 00000000:01F4 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 4711 2\n";
const std::string kUdp6_4500 = "  40: 00000000000000000000000000000000:1194 00000000000000000000000000000000:0000 07 "
                               "00000000:00000000 00:00000000 00000000     0        0 4712 2\n";
const std::string kUdpOther =
    "  13: 0100007F:0035 00000000:0000 07 00000000:00000000 00:00000000 00000000     0        0 4713 2\n";

// A setup where every check passes, and the platform's answers to each command.
struct Platform {
    SetupCheckInput input;
    std::string accountListing =
        listing(listingRecord("admin", shadowHex(false)) + listingRecord("alice", shadowHex(true)));
    std::string digFirst = kDigAnswer;
    std::string digSecond = kDigAnswer;
    std::string udp = kUdpHeader + kUdpOther;
    std::string serveHere = "0\nsoftether";
    std::string jobPid;
    std::string systemLog;

    Platform()
    {
        input.settings = {"L2TP", "vpn.example.org", "Sesame42",     "10.0.0.1, 10.0.0.2",
                          "",     "192.168.1.200",   "192.168.1.220"};
        input.vpnAccounts = {"alice"};
        input.machineAddresses = {"192.168.1.37"};
    }
};

struct Case {
    const char* what;
    std::function<void(Platform&)> change;
    const char* check;
    CheckResult result;
    std::string message;
};

std::vector<SetupCheck> runOn(const Platform& setup, RecordingRunner& runner)
{
    static const TempPlatformRoot root;
    writeText(root.paths().map(kSystemLog), setup.systemLog);
    runner.setHandler([&](const RecordingRunner::Arguments& arguments) -> std::optional<std::string> {
        const std::string& script = arguments.at(2);
        if (script == "dscl -plist . readall /users ShadowHashData")
            return setup.accountListing;
        if (script.rfind("dig @10.0.0.1 ", 0) == 0)
            return setup.digFirst;
        if (script.rfind("dig @10.0.0.2 ", 0) == 0)
            return setup.digSecond;
        if (script.rfind("dig ", 0) == 0)
            return kDigSilence;
        if (script.rfind("cat /proc/net/udp", 0) == 0)
            return setup.udp;
        if (script.rfind("id -u;", 0) == 0)
            return setup.serveHere;
        if (script == jobPidCommand())
            return setup.jobPid;
        return std::nullopt;
    });
    return runSetupChecks(runner, root.paths(), setup.input);
}

TEST(SetupChecksTest, EachCheckPassesWarnsOrFailsWithItsSentence)
{
    const std::vector<Case> cases{
        {"a good setup", [](Platform&) {}, "Shared secret", CheckResult::Pass, "set"},
        {"no secret", [](Platform& s) { s.input.settings.sharedSecret = ""; }, "Shared secret", CheckResult::Fail,
         "Set a shared secret of at least 8 characters."},
        {"a 7-character secret", [](Platform& s) { s.input.settings.sharedSecret = "Sesame4"; }, "Shared secret",
         CheckResult::Fail, "Make the shared secret at least 8 characters long."},

        {"an account with its NT hash", [](Platform&) {}, "VPN accounts", CheckResult::Pass,
         "1 account; it can log in"},
        {"no account", [](Platform& s) { s.input.vpnAccounts.clear(); }, "VPN accounts", CheckResult::Fail,
         "Add a VPN account so that someone can log in."},
        {"accounts without an NT hash or any hash",
         [](Platform& s) {
             s.input.vpnAccounts = {"alice", "bob", "carol"};
             s.accountListing = listing(listingRecord("alice", shadowHex(true)) + listingRecord("bob", shadowHex(false))
                                        + listingRecord("carol", ""));
         },
         "VPN accounts", CheckResult::Fail,
         "Set the password again for bob, carol so that they can log in over the VPN."},
        {"ShadowHashData that is no property list",
         [](Platform& s) { s.accountListing = listing(listingRecord("alice", "00ff" + shadowHex(true))); },
         "VPN accounts", CheckResult::Fail, "Set the password again for alice so that they can log in over the VPN."},
        {"dscl failing", [](Platform& s) { s.accountListing = "<main> attribute status: eDSRecordNotFound"; },
         "VPN accounts", CheckResult::Fail,
         "The directory could not be read; make sure the directory service works, then check again."},

        {"a range of 21 addresses", [](Platform&) {}, "Address range", CheckResult::Pass,
         "192.168.1.200 - 192.168.1.220 (21 addresses)"},
        {"253 addresses",
         [](Platform& s) {
             s.input.settings.startIPAddress = "192.168.2.2";
             s.input.settings.endIPAddress = "192.168.2.254";
             s.input.machineAddresses = {"192.168.2.1"};
         },
         "Address range", CheckResult::Pass, "192.168.2.2 - 192.168.2.254 (253 addresses)"},
        {"254 addresses",
         [](Platform& s) {
             s.input.settings.startIPAddress = "192.168.1.1";
             s.input.settings.endIPAddress = "192.168.1.254";
         },
         "Address range", CheckResult::Fail, "Shorten the address range to at most 253 addresses."},
        {"a whole /16", [](Platform& s) { s.input.settings.startIPAddress = "192.168.0.0"; }, "Address range",
         CheckResult::Fail, "Shorten the address range to at most 253 addresses."},
        {"start above end", [](Platform& s) { s.input.settings.startIPAddress = "192.168.1.221"; }, "Address range",
         CheckResult::Fail, "Make the start of the address range no higher than its end."},
        {"an IPv6 end", [](Platform& s) { s.input.settings.endIPAddress = "fd00::20"; }, "Address range",
         CheckResult::Fail, "Enter the start and end of the address range as IPv4 addresses, such as 192.168.1.200."},
        {"a short address", [](Platform& s) { s.input.settings.startIPAddress = "192.168.1"; }, "Address range",
         CheckResult::Fail, "Enter the start and end of the address range as IPv4 addresses, such as 192.168.1.200."},
        {"holding this machine's second address",
         [](Platform& s) {
             s.input.machineAddresses = {"fe80::1", "10.0.0.5", "192.168.1.210"};
         },
         "Address range", CheckResult::Fail, "Move the address range off this machine's address 192.168.1.210."},
        {"in the first DNS server's network only",
         [](Platform& s) {
             s.input.settings.startIPAddress = "10.0.0.100";
             s.input.settings.endIPAddress = "10.0.0.120";
         },
         "Address range", CheckResult::Pass, "10.0.0.100 - 10.0.0.120 (21 addresses)"},
        {"in neither network",
         [](Platform& s) {
             s.input.settings.startIPAddress = "172.16.9.1";
             s.input.settings.endIPAddress = "172.16.9.20";
         },
         "Address range", CheckResult::Warn,
         "The range is outside the network of the first DNS server and of this machine; clients may reach nothing "
         "there, so choose addresses from this machine's network."},

        {"both servers answering", [](Platform&) {}, "DNS servers", CheckResult::Pass, "answered"},
        {"no server", [](Platform& s) { s.input.settings.dnsServerAddresses = " , "; }, "DNS servers",
         CheckResult::Fail, "Enter at least one DNS server."},
        {"a name for a server", [](Platform& s) { s.input.settings.dnsServerAddresses = "10.0.0.1,dns.example; id"; },
         "DNS servers", CheckResult::Fail, "Enter the DNS server dns.example; id as an IP address."},
        {"the second server silent", [](Platform& s) { s.digSecond = kDigSilence; }, "DNS servers", CheckResult::Fail,
         "Check that the DNS server 10.0.0.2 is reachable, or enter another one."},

        {"UDP 500 held by another program", [](Platform& s) { s.udp = kUdpHeader + kUdp500; }, "UDP ports 500 and 4500",
         CheckResult::Fail, "Quit the program that holds UDP port 500 (often another VPN server), then start again."},
        {"UDP 4500 held over IPv6", [](Platform& s) { s.udp = kUdpHeader + kUdpOther + kUdp6_4500; },
         "UDP ports 500 and 4500", CheckResult::Fail,
         "Quit the program that holds UDP port 4500 (often another VPN server), then start again."},
        {"both held by this server's vpnd",
         [](Platform& s) {
             s.udp = kUdpHeader + kUdp500 + kUdp6_4500;
             s.jobPid = "63";
             s.systemLog = "2026-12-08 10:00:03.000 vpnd[63:63] Serving L2TP/IPsec on UDP 500, 4500\n";
         },
         "UDP ports 500 and 4500", CheckResult::Pass, "held by this server's vpnd"},
        {"held while this server's vpnd does not serve",
         [](Platform& s) {
             s.udp = kUdpHeader + kUdp500;
             s.jobPid = "63";
             s.systemLog = "2026-12-08 10:00:03.000 vpnd[63:63] Not serving: another vpnd\n";
         },
         "UDP ports 500 and 4500", CheckResult::Fail,
         "Quit the program that holds UDP port 500 (often another VPN server), then start again."},

        {"root with SoftEther", [](Platform&) {}, "Serving on this machine", CheckResult::Pass,
         "root, SoftEther VPN Server"},
        {"not root", [](Platform& s) { s.serveHere = "1000\nsoftether"; }, "Serving on this machine", CheckResult::Fail,
         "Run Veltrona as root: serving needs root privileges."},
        {"no answer at all", [](Platform& s) { s.serveHere = ""; }, "Serving on this machine", CheckResult::Fail,
         "Run Veltrona as root: serving needs root privileges."},
        {"no SoftEther", [](Platform& s) { s.serveHere = "0"; }, "Serving on this machine", CheckResult::Fail,
         "Install the SoftEther VPN Server package (softether-vpnserver)."},
        {"PPTP without kernel PPP", [](Platform& s) { s.input.settings.type = "PPTP"; }, "Serving on this machine",
         CheckResult::Fail, "PPTP cannot be served on this machine: it has no kernel PPP. Choose L2TP instead."},
        {"PPTP with kernel PPP",
         [](Platform& s) {
             s.input.settings.type = "PPTP";
             s.serveHere = "0\nsoftether\nppp";
         },
         "Serving on this machine", CheckResult::Pass, "root, SoftEther VPN Server"},
    };
    for (const Case& c : cases) {
        Platform setup;
        c.change(setup);
        RecordingRunner runner;
        const std::vector<SetupCheck> checks = runOn(setup, runner);
        ASSERT_EQ(checks.size(), 7u) << c.what;
        const auto found =
            std::find_if(checks.begin(), checks.end(), [&](const SetupCheck& check) { return check.name == c.check; });
        ASSERT_NE(found, checks.end()) << c.what;
        EXPECT_EQ(found->result, c.result) << c.what;
        EXPECT_EQ(found->message, c.message) << c.what;
        // A change to one thing leaves every other check of the good setup passing.
        for (const SetupCheck& check : checks) {
            if (check.name != c.check) {
                EXPECT_EQ(check.result, CheckResult::Pass) << c.what << ": " << check.name << ": " << check.message;
            }
        }
    }
}

TEST(SetupChecksTest, DigIsBoundedAndTheFirstFailureIsNamed)
{
    Platform setup;
    setup.input.settings.sharedSecret = "";
    setup.input.settings.dnsServerAddresses = "10.0.0.1";
    RecordingRunner runner;
    const std::vector<SetupCheck> checks = runOn(setup, runner);
    const std::vector<std::string> scripts = runner.scripts();
    EXPECT_NE(std::find(scripts.begin(), scripts.end(), "dig @10.0.0.1 -x 127.0.0.1 +time=2 +tries=1"), scripts.end());
    ASSERT_TRUE(firstFailedCheck(checks));
    EXPECT_EQ(firstFailedCheck(checks)->name, "Shared secret");

    setup.input.settings.sharedSecret = "Sesame42";
    setup.input.settings.startIPAddress = "172.16.9.1";
    setup.input.settings.endIPAddress = "172.16.9.20";
    const std::vector<SetupCheck> warned = runOn(setup, runner);
    EXPECT_FALSE(firstFailedCheck(warned)) << "a warning is no failure";
}

} // namespace
} // namespace veltrona::test
