// Writing both server files: the window's values land in their keys, the rest is the template's.

#include "vpnserver/ServerFileWriter.h"
#include "foundation/PlistIO.h"
#include "tests/support/FileText.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/ShellRunner.h"
#include "tests/vpnserver/ServerFixture.h"
#include "vpnserver/MoveScripts.h"
#include "vpnserver/ServerFileReader.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <initializer_list>
#include <sys/stat.h>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

// The dictionary reached through single keys, independent of the code under test.
PlistDictionary& dictionaryAt(PlistValue& root, std::initializer_list<const char*> keys)
{
    static PlistDictionary missing;
    PlistValue* value = &root;
    for (const char* key : keys) {
        PlistValue* next = value->dictionary() ? value->dictionary()->find(key) : nullptr;
        if (next == nullptr || next->dictionary() == nullptr) {
            ADD_FAILURE() << "template lacks " << key;
            return missing;
        }
        value = next;
    }
    return *value->dictionary();
}

PlistDictionary& entryOf(PlistValue& root, const std::string& type)
{
    return dictionaryAt(root, {"Servers", "com", "apple", "ppp", type.c_str()});
}

PlistValue strings(std::initializer_list<const char*> texts)
{
    PlistArray array;
    for (const char* text : texts)
        array.emplace_back(text);
    return PlistValue(array);
}

PlistData bytesOf(std::string_view text)
{
    return PlistData(text.begin(), text.end());
}

ServerSettings sampleSettings(const std::string& type)
{
    return {type,         "vpn.example.org", "s3cret", "10.0.0.1, 10.0.0.2", "home.lan,example.org",
            "10.0.0.100", "10.0.0.150"};
}

TEST(ServerFileWriter, WritesTheWindowsValuesOverTheTemplatesForEitherType)
{
    for (const std::string type : {"L2TP", "PPTP"}) {
        SCOPED_TRACE(type);
        ServerFixture fixture;
        ShellRunner runner(fixture.toolFolder());
        const VpnConfigResult result = vpnConfig(sampleSettings(type), fixture.locations(), runner);
        EXPECT_TRUE(result.serverFile.ok()) << result.serverFile.message();
        EXPECT_TRUE(result.jobFile.ok()) << result.jobFile.message();

        PlistValue expected = ServerFixture::serverTemplate();
        expected.dictionary()->set("VPNHost", "vpn.example.org");
        expected.dictionary()->set("SharedSecret", bytesOf("s3cret"));
        dictionaryAt(expected, {"Servers", "com", "apple", "ppp", type.c_str(), "DNS"})
            .set("OfferedServerAddresses", strings({"10.0.0.1", "10.0.0.2"}));
        dictionaryAt(expected, {"Servers", "com", "apple", "ppp", type.c_str(), "DNS"})
            .set("OfferedSearchDomains", strings({"home.lan", "example.org"}));
        dictionaryAt(expected, {"Servers", "com", "apple", "ppp", type.c_str(), "IPv4"})
            .set("DestAddressRanges", strings({"10.0.0.100", "10.0.0.150"}));
        EXPECT_EQ(fixture.installedServer(), expected);

        PlistValue expectedJob = ServerFixture::jobTemplate();
        expectedJob.dictionary()->set("ProgramArguments",
                                      strings({"/usr/sbin/vpnd", "-x", "-i", ("com.apple.ppp." + type).c_str()}));
        EXPECT_EQ(fixture.installedJob(), expectedJob);

        // Server file first, each moved by its own script with its path as one argument.
        ASSERT_EQ(runner.runs().size(), 2u);
        EXPECT_EQ(runner.runs()[0], moveScriptArguments(serverFileMoveScript(fixture.locations().platform()),
                                                        fixture.resources() + "/com.apple.RemoteAccessServers.plist"));
        EXPECT_EQ(runner.runs()[1], moveScriptArguments(jobFileMoveScript(fixture.locations().platform()),
                                                        fixture.resources() + "/com.brantholm.vpn.plist"));
        EXPECT_FALSE(fs::exists(fixture.locations().serverTemporaryCopy()));
        EXPECT_FALSE(fs::exists(fixture.locations().jobTemporaryCopy()));
        const std::string vpn = (fixture.root() / "usr/local/quillfen/vpn/").string();
        EXPECT_EQ(fixture.sudoLog(), "chown|root:wheel|" + vpn
                                         + "com.apple.RemoteAccessServers.plist|\n"
                                           "chown|root:wheel|"
                                         + vpn + "com.brantholm.vpn.plist|\n");
    }
}

TEST(ServerFileWriter, ChangingTheTypeGivesTheOtherEntryTheTemplatesValuesAgain)
{
    ServerFixture fixture;
    RecordingRunner runner;
    fixture.emulateMoves(runner);
    vpnConfig(sampleSettings("L2TP"), fixture.locations(), runner);
    ServerSettings pptp = {"PPTP", "h", "", "1.1.1.1", "", "172.16.0.10", "172.16.0.20"};
    vpnConfig(pptp, fixture.locations(), runner);

    PlistValue installed = fixture.installedServer();
    PlistValue original = ServerFixture::serverTemplate();
    EXPECT_EQ(entryOf(installed, "L2TP"), entryOf(original, "L2TP"));
    EXPECT_EQ(*dictionaryAt(installed, {"Servers", "com", "apple", "ppp", "PPTP", "IPv4"}).find("DestAddressRanges"),
              strings({"172.16.0.10", "172.16.0.20"}));

    const LoadedServerSettings loaded = loadVPNSettings(fixture.locations());
    EXPECT_EQ(loaded.settings, pptp);
}

TEST(ServerFileWriter, SecretIsStoredAsItsUtf8BytesAndReadBackIdentical)
{
    for (const std::string secret : {"", "plain", "p\xC3\xA4sswo\xCC\x88rd \xE2\x82\xAC\xF0\x9F\x99\x82", "a b\tc"}) {
        SCOPED_TRACE(secret);
        ServerFixture fixture;
        RecordingRunner runner;
        fixture.emulateMoves(runner);
        ServerSettings settings = sampleSettings("L2TP");
        settings.sharedSecret = secret;
        vpnConfig(settings, fixture.locations(), runner);

        const PlistValue installed = fixture.installedServer();
        const PlistValue* stored = installed.dictionary()->find("SharedSecret");
        ASSERT_NE(stored, nullptr);
        EXPECT_EQ(*stored, PlistValue(bytesOf(secret)));
        EXPECT_EQ(loadVPNSettings(fixture.locations()).settings.sharedSecret, secret);
    }
}

// Only the file with the secret is the owner's alone: its temporary copy as written, and the
// installed file after the real move, even where earlier copies were readable by all.
TEST(ServerFileWriter, TheFileHoldingTheSecretIsReadableByItsOwnerAlone)
{
    auto modeOf = [](const std::string& path) {
        struct stat status { };
        return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0u;
    };
    ServerFixture fixture;
    const ServerFileLocations& files = fixture.locations();
    for (const std::string& earlier :
         {files.serverTemporaryCopy(), files.installedServerFile(), files.installedJobFile()}) {
        writeText(earlier, "readable by all");
        ::chmod(earlier.c_str(), 0644);
    }

    RecordingRunner recording;
    vpnConfig(sampleSettings("L2TP"), files, recording);
    EXPECT_EQ(modeOf(files.serverTemporaryCopy()), 0600u);
    EXPECT_EQ(modeOf(files.jobTemporaryCopy()), 0644u);

    ShellRunner shell(fixture.toolFolder());
    vpnConfig(sampleSettings("L2TP"), files, shell);
    EXPECT_EQ(modeOf(files.installedServerFile()), 0600u);
    EXPECT_EQ(modeOf(files.installedJobFile()), 0644u);
}

TEST(ServerFileWriter, OfferedListsArePiecesBetweenCommasWithoutBlanksAtTheirEnds)
{
    struct Case {
        const char* field;
        std::vector<std::string> stored;
        const char* readBack;
    };
    const Case cases[] = {
        {"", {""}, ""},
        {"8.8.8.8", {"8.8.8.8"}, "8.8.8.8"},
        {"10.0.0.1, 10.0.0.2", {"10.0.0.1", "10.0.0.2"}, "10.0.0.1, 10.0.0.2"},
        {"a,  b ,\tc", {"a", "b", "c"}, "a, b, c"},
        {"a,,b", {"a", "", "b"}, "a, , b"},
        {"a,", {"a", ""}, "a, "},
        {" , ", {"", ""}, ", "},
        {"caf\xC3\xA9.lan,\xE3\x80\x80x", {"caf\xC3\xA9.lan", "x"}, "caf\xC3\xA9.lan, x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field);
        EXPECT_EQ(offeredList(c.field), c.stored);

        // What is read back and written again stays as it is: no blank grows at each restart.
        ServerFixture fixture;
        RecordingRunner runner;
        fixture.emulateMoves(runner);
        ServerSettings settings = sampleSettings("PPTP");
        settings.dnsServerAddresses = c.field;
        settings.searchDomains = c.field;
        for (int round = 0; round < 3; ++round) {
            vpnConfig(settings, fixture.locations(), runner);
            settings = loadVPNSettings(fixture.locations()).settings;
            EXPECT_EQ(settings.dnsServerAddresses, c.readBack);
            EXPECT_EQ(settings.searchDomains, c.readBack);
        }
    }
}

TEST(ServerFileWriter, LastProgramArgumentEndsInTheType)
{
    struct Case {
        const char* argument;
        const char* type;
        const char* result;
    };
    const Case cases[] = {
        {"com.apple.ppp.L2TP", "PPTP", "com.apple.ppp.PPTP"},
        {"com.apple.ppp.PPTP", "L2TP", "com.apple.ppp.L2TP"},
        {"vpnd", "L2TP", "L2TP"},
        {"", "PPTP", "PPTP"},
        {"a.", "L2TP", "a.L2TP"},
        {"..x", "PPTP", "..PPTP"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(programArgumentForType(c.argument, c.type), c.result) << c.argument;
}

} // namespace
} // namespace veltrona::test
