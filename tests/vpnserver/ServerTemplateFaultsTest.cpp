// Templates that cannot be used, and temporary copies that cannot be written: what is left installed.

#include "foundation/PlistIO.h"
#include "tests/support/RecordingRunner.h"
#include "tests/vpnserver/ServerFixture.h"
#include "vpnserver/ServerFileWriter.h"

#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

enum class Moved { Both, ServerOnly, JobOnly, Neither };

struct Case {
    const char* name;
    std::function<void(const ServerFixture&)> spoil;
    Moved moved;
};

void replaceFile(const std::string& path, const PlistValue& value)
{
    ASSERT_TRUE(writePlistAtomically(*value.dictionary(), path).ok());
}

PlistValue jobWithArguments(std::optional<PlistValue> arguments)
{
    PlistValue job = ServerFixture::jobTemplate();
    job.dictionary()->remove("ProgramArguments");
    if (arguments)
        job.dictionary()->set("ProgramArguments", *arguments);
    return job;
}

TEST(ServerTemplateFaults, EachFileIsWrittenOnlyFromAUsableTemplate)
{
    const Case cases[] = {
        {"both fine", [](const ServerFixture&) {}, Moved::Both},
        {"server template missing", [](const ServerFixture& f) { fs::remove(f.locations().serverTemplate()); },
         Moved::JobOnly},
        {"server template not a property list",
         [](const ServerFixture& f) { f.installRaw(f.locations().serverTemplate(), "<plist><dict><key>"); },
         Moved::JobOnly},
        {"server template an array",
         [](const ServerFixture& f) {
             f.installRaw(f.locations().serverTemplate(),
                          "<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>");
         },
         Moved::JobOnly},
        {"job template missing", [](const ServerFixture& f) { fs::remove(f.locations().jobTemplate()); },
         Moved::ServerOnly},
        {"job template without ProgramArguments",
         [](const ServerFixture& f) { replaceFile(f.locations().jobTemplate(), jobWithArguments(std::nullopt)); },
         Moved::ServerOnly},
        {"job template with empty ProgramArguments",
         [](const ServerFixture& f) {
             replaceFile(f.locations().jobTemplate(), jobWithArguments(PlistValue(PlistArray())));
         },
         Moved::ServerOnly},
        {"job template whose last argument is no string",
         [](const ServerFixture& f) {
             replaceFile(f.locations().jobTemplate(),
                         jobWithArguments(PlistValue(PlistArray{PlistValue("/usr/sbin/vpnd"), PlistValue(7)})));
         },
         Moved::ServerOnly},
        {"job ProgramArguments a string",
         [](const ServerFixture& f) { replaceFile(f.locations().jobTemplate(), jobWithArguments(PlistValue("vpnd"))); },
         Moved::ServerOnly},
        // A stale copy must not be installed when the fresh one could not be written over it.
        {"server temporary copy cannot be written",
         [](const ServerFixture& f) { fs::create_directories(f.locations().serverTemporaryCopy() + "/stale"); },
         Moved::JobOnly},
        {"job temporary copy cannot be written",
         [](const ServerFixture& f) { fs::create_directories(f.locations().jobTemporaryCopy() + "/stale"); },
         Moved::ServerOnly},
        {"both templates missing", [](const ServerFixture& f) { fs::remove_all(f.resources() + "/VPNStuff"); },
         Moved::Neither},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ServerFixture fixture;
        c.spoil(fixture);
        RecordingRunner runner;
        const VpnConfigResult result = vpnConfig({"L2TP", "h", "s", "", "", "a", "b"}, fixture.locations(), runner);

        const bool server = c.moved == Moved::Both || c.moved == Moved::ServerOnly;
        const bool job = c.moved == Moved::Both || c.moved == Moved::JobOnly;
        EXPECT_EQ(result.serverFile.ok(), server) << result.serverFile.message();
        EXPECT_EQ(result.jobFile.ok(), job) << result.jobFile.message();
        std::vector<std::string> moved;
        for (const auto& run : runner.runs())
            moved.push_back(run.size() == 5 ? run[4] : "not a move script");
        std::vector<std::string> expected;
        if (server)
            expected.push_back(fixture.locations().serverTemporaryCopy());
        if (job)
            expected.push_back(fixture.locations().jobTemporaryCopy());
        EXPECT_EQ(moved, expected);
    }
}

TEST(ServerTemplateFaults, AServerTemplateWithoutTheTypesEntryStillCarriesHostAndSecret)
{
    ServerFixture fixture;
    PlistValue server = ServerFixture::serverTemplate();
    PlistValue* ppp = server.dictionary()
                          ->find("Servers")
                          ->dictionary()
                          ->find("com")
                          ->dictionary()
                          ->find("apple")
                          ->dictionary()
                          ->find("ppp");
    ASSERT_NE(ppp, nullptr);
    ppp->dictionary()->remove("PPTP");
    // The L2TP entry keeps its DNS but loses IPv4: the stores into what is missing do nothing.
    ppp->dictionary()->find("L2TP")->dictionary()->remove("IPv4");
    replaceFile(fixture.locations().serverTemplate(), server);

    for (const char* type : {"PPTP", "L2TP"}) {
        SCOPED_TRACE(type);
        RecordingRunner runner;
        EXPECT_TRUE(
            vpnConfig({type, "host", "s", "1.1.1.1", "", "a", "b"}, fixture.locations(), runner).serverFile.ok());
        std::optional<PlistValue> written = readPlistFile(fixture.locations().serverTemporaryCopy());
        ASSERT_TRUE(written.has_value());

        PlistValue expected = server;
        expected.dictionary()->set("VPNHost", "host");
        expected.dictionary()->set("SharedSecret", PlistData{'s'});
        if (std::string(type) == "L2TP") {
            PlistDictionary* dns = expected.dictionary()
                                       ->find("Servers")
                                       ->dictionary()
                                       ->find("com")
                                       ->dictionary()
                                       ->find("apple")
                                       ->dictionary()
                                       ->find("ppp")
                                       ->dictionary()
                                       ->find("L2TP")
                                       ->dictionary()
                                       ->find("DNS")
                                       ->dictionary();
            dns->set("OfferedServerAddresses", PlistArray{PlistValue("1.1.1.1")});
            dns->set("OfferedSearchDomains", PlistArray{PlistValue("")});
        }
        EXPECT_EQ(*written, expected);
    }
}

} // namespace
} // namespace veltrona::test
