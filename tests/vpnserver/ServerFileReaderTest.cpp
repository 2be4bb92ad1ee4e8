// Reading the installed files back, including files that lack what the window wants from them.

#include "vpnserver/ServerFileReader.h"
#include "tests/vpnserver/ServerFixture.h"
#include "vpnserver/PortForwardingText.h"
#include "vpnserver/SharedSecretData.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

const std::string kL2TPText =
    "If you\xE2\x80\x99re running the VPN Server on a local network behind a router, set the router to forward "
    "UDP ports 500, 1701, and 4500 to the IP address of this VPN Server machine. If you're lucky and have a "
    "nice smart router, there is no Step 4.";
const std::string kPPTPText =
    "If you\xE2\x80\x99re running the VPN Server on a local network behind a router, set the router to forward "
    "UDP port 1703 to the IP address of this VPN Server machine. If you're lucky and have a nice smart router, "
    "there is no Step 4.";

PlistDictionary& dict(PlistValue& value, const char* key)
{
    return *value.dictionary()->find(key)->dictionary();
}

PlistValue& entry(PlistValue& server, const char* type)
{
    PlistValue* ppp = dict(server, "Servers").find("com")->dictionary()->find("apple")->dictionary()->find("ppp");
    return *ppp->dictionary()->find(type);
}

// An installed server file holding distinct values for both types.
PlistValue installedServer()
{
    PlistValue server = ServerFixture::serverTemplate();
    server.dictionary()->set("VPNHost", "vpn.example.org");
    server.dictionary()->set("SharedSecret", PlistData{'k', 'e', 'y'});
    for (const char* type : {"L2TP", "PPTP"}) {
        PlistValue& e = entry(server, type);
        dict(e, "DNS").set("OfferedServerAddresses",
                           PlistArray{PlistValue(std::string(type) + ".dns1"), PlistValue(" dns2")});
        dict(e, "DNS").set("OfferedSearchDomains", PlistArray{PlistValue(std::string(type) + ".lan")});
        dict(e, "IPv4").set("DestAddressRanges",
                            PlistArray{PlistValue(std::string(type) + ".first"), PlistValue("last")});
    }
    return server;
}

PlistValue installedJob(PlistValue arguments)
{
    PlistValue job = ServerFixture::jobTemplate();
    job.dictionary()->set("ProgramArguments", std::move(arguments));
    return job;
}

PlistValue jobFor(const char* serverId)
{
    return installedJob(
        PlistArray{PlistValue("/usr/sbin/vpnd"), PlistValue("-x"), PlistValue("-i"), PlistValue(serverId)});
}

struct Case {
    const char* name;
    std::function<void(PlistValue& server, PlistValue& job)> change;
    ServerSettings expected;
    bool serverRead = true;
    bool jobRead = true;
    // Raw bytes in place of the server file, when given; no file at all when unread and not given.
    const char* serverBytes = nullptr;
};

TEST(ServerFileReader, ReadsWhatItCanAndLeavesTheRestEmpty)
{
    const ServerSettings full = {"L2TP",     "vpn.example.org", "key", "L2TP.dns1,  dns2",
                                 "L2TP.lan", "L2TP.first",      "last"};
    auto with = [&](auto edit) {
        ServerSettings s = full;
        edit(s);
        return s;
    };
    const ServerSettings onlyType = {"L2TP", "", "", "", "", "", ""};
    const Case cases[] = {
        {"complete", [](PlistValue&, PlistValue&) {}, full},
        {"PPTP job reads the PPTP entry",
         [](PlistValue&, PlistValue& j) { j = jobFor("com.apple.ppp.PPTP"); },
         {"PPTP", "vpn.example.org", "key", "PPTP.dns1,  dns2", "PPTP.lan", "PPTP.first", "last"}},
        {"server file missing", nullptr, onlyType, false, true},
        {"server file not a property list", [](PlistValue&, PlistValue&) {}, onlyType, false, true, "\xFF\xFE garbage"},
        {"server file an array", [](PlistValue&, PlistValue&) {}, onlyType, false, true,
         "<?xml version=\"1.0\"?><plist version=\"1.0\"><array><string>x</string></array></plist>"},
        {"no entry for the type",
         [](PlistValue& s, PlistValue&) {
             dict(s, "Servers")
                 .find("com")
                 ->dictionary()
                 ->find("apple")
                 ->dictionary()
                 ->find("ppp")
                 ->dictionary()
                 ->remove("L2TP");
         },
         with([](ServerSettings& s) {
             s.dnsServerAddresses = s.searchDomains = s.startIPAddress = s.endIPAddress = "";
         })},
        {"no DNS", [](PlistValue& s, PlistValue&) { entry(s, "L2TP").dictionary()->remove("DNS"); },
         with([](ServerSettings& s) { s.dnsServerAddresses = s.searchDomains = ""; })},
        {"no IPv4", [](PlistValue& s, PlistValue&) { entry(s, "L2TP").dictionary()->remove("IPv4"); },
         with([](ServerSettings& s) { s.startIPAddress = s.endIPAddress = ""; })},
        {"one address range element",
         [](PlistValue& s, PlistValue&) {
             dict(entry(s, "L2TP"), "IPv4").set("DestAddressRanges", PlistArray{PlistValue("only")});
         },
         with([](ServerSettings& s) {
             s.startIPAddress = "only";
             s.endIPAddress = "";
         })},
        {"no address range elements",
         [](PlistValue& s, PlistValue&) { dict(entry(s, "L2TP"), "IPv4").set("DestAddressRanges", PlistArray()); },
         with([](ServerSettings& s) { s.startIPAddress = s.endIPAddress = ""; })},
        {"address ranges not an array",
         [](PlistValue& s, PlistValue&) { dict(entry(s, "L2TP"), "IPv4").set("DestAddressRanges", "10.0.0.1"); },
         with([](ServerSettings& s) { s.startIPAddress = s.endIPAddress = ""; })},
        {"address range elements not strings",
         [](PlistValue& s, PlistValue&) {
             dict(entry(s, "L2TP"), "IPv4").set("DestAddressRanges", PlistArray{PlistValue(1), PlistValue("b")});
         },
         with([](ServerSettings& s) {
             s.startIPAddress = "";
             s.endIPAddress = "b";
         })},
        {"DNS list with a non-string",
         [](PlistValue& s, PlistValue&) {
             dict(entry(s, "L2TP"), "DNS")
                 .set("OfferedServerAddresses", PlistArray{PlistValue("a"), PlistValue(true), PlistValue("b")});
         },
         with([](ServerSettings& s) { s.dnsServerAddresses = "a, b"; })},
        {"DNS list a string",
         [](PlistValue& s, PlistValue&) { dict(entry(s, "L2TP"), "DNS").set("OfferedSearchDomains", "lan"); },
         with([](ServerSettings& s) { s.searchDomains = ""; })},
        {"secret not UTF-8",
         [](PlistValue& s, PlistValue&) {
             s.dictionary()->set("SharedSecret", PlistData{0xC3, 0x28, 'a'});
         },
         with([](ServerSettings& s) { s.sharedSecret = ""; })},
        {"secret a string",
         [](PlistValue& s, PlistValue&) { s.dictionary()->set("SharedSecret", "as typed \xE2\x82\xAC"); },
         with([](ServerSettings& s) { s.sharedSecret = "as typed \xE2\x82\xAC"; })},
        {"secret an integer", [](PlistValue& s, PlistValue&) { s.dictionary()->set("SharedSecret", 42); },
         with([](ServerSettings& s) { s.sharedSecret = ""; })},
        {"secret missing", [](PlistValue& s, PlistValue&) { s.dictionary()->remove("SharedSecret"); },
         with([](ServerSettings& s) { s.sharedSecret = ""; })},
        {"host an array",
         [](PlistValue& s, PlistValue&) { s.dictionary()->set("VPNHost", PlistArray{PlistValue("h")}); },
         with([](ServerSettings& s) { s.vpnHost = ""; })},
        {"job without ProgramArguments",
         [](PlistValue&, PlistValue& j) { j.dictionary()->remove("ProgramArguments"); },
         {"", "vpn.example.org", "key", "", "", "", ""}},
        {"job with empty ProgramArguments",
         [](PlistValue&, PlistValue& j) { j = installedJob(PlistArray()); },
         {"", "vpn.example.org", "key", "", "", "", ""}},
        {"job's last argument no string",
         [](PlistValue&, PlistValue& j) { j = installedJob(PlistArray{PlistValue(1)}); },
         {"", "vpn.example.org", "key", "", "", "", ""}},
        {"job's ProgramArguments a string",
         [](PlistValue&, PlistValue& j) { j = installedJob("com.apple.ppp.L2TP"); },
         {"", "vpn.example.org", "key", "", "", "", ""}},
        {"job's last argument without a dot",
         [](PlistValue&, PlistValue& j) { j = jobFor("vpnd"); },
         {"vpnd", "vpn.example.org", "key", "", "", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerFixture fixture;
        PlistValue server = installedServer();
        PlistValue job = jobFor("com.apple.ppp.L2TP");
        if (c.change)
            c.change(server, job);
        if (c.serverBytes)
            fixture.installRaw(fixture.locations().installedServerFile(), c.serverBytes);
        else if (c.serverRead)
            fixture.installServer(server);
        fixture.installJob(job);

        const LoadedServerSettings loaded = loadVPNSettings(fixture.locations());
        EXPECT_EQ(loaded.settings, c.expected);
        EXPECT_EQ(loaded.serverFileRead, c.serverRead);
        EXPECT_EQ(loaded.jobFileRead, c.jobRead);
        EXPECT_EQ(loaded.portForwardingInfo, c.expected.type == "L2TP" ? kL2TPText : kPPTPText);
    }
}

TEST(ServerFileReader, NoInstalledFilesGiveEmptySettingsAndThePPTPText)
{
    ServerFixture fixture;
    const LoadedServerSettings loaded = loadVPNSettings(fixture.locations());
    EXPECT_EQ(loaded.settings, ServerSettings());
    EXPECT_FALSE(loaded.serverFileRead);
    EXPECT_FALSE(loaded.jobFileRead);
    EXPECT_EQ(loaded.portForwardingInfo, kPPTPText);

    // A job file alone still gives the type and its text.
    fixture.installJob(jobFor("com.apple.ppp.L2TP"));
    EXPECT_EQ(loadVPNSettings(fixture.locations()).settings.type, "L2TP");
    EXPECT_EQ(loadVPNSettings(fixture.locations()).portForwardingInfo, kL2TPText);
}

TEST(ServerFileReader, PortForwardingTextByType)
{
    for (const char* type : {"L2TP"})
        EXPECT_EQ(portForwardingText(type), kL2TPText) << type;
    for (const char* type : {"PPTP", "", "l2tp", "L2TP ", "vpnd"})
        EXPECT_EQ(portForwardingText(type), kPPTPText) << type;
}

TEST(ServerFileReader, Utf8Validity)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool valid;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ASCII", "abc", true},
        {"two-byte", "\xC3\xA4", true},
        {"three-byte", "\xE2\x82\xAC", true},
        {"four-byte", "\xF0\x9F\x99\x82", true},
        {"last code point", "\xF4\x8F\xBF\xBF", true},
        {"zero byte", std::string("a\0b", 3), true},
        {"lone continuation", "\x80", false},
        {"truncated", "\xE2\x82", false},
        {"overlong two-byte", "\xC0\xAF", false},
        {"overlong three-byte", "\xE0\x80\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"past U+10FFFF", "\xF4\x90\x80\x80", false},
        {"bad continuation", "\xC3\x28", false},
        {"0xFF", "\xFF", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(isValidUtf8(c.bytes), c.valid) << c.name;
}

} // namespace
} // namespace veltrona::test
