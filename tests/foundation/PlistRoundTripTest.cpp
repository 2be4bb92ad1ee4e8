// Property lists we write are read by libplist's own tool, and Mac-made files are read by us.
#include "foundation/PlistIO.h"
#include "tests/foundation/PlistSamples.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

class PlistRoundTrip : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!programAvailable("plistutil"))
            GTEST_SKIP() << "plistutil (package libplist-utils) is not installed";
    }
    TempDir dir;
};

TEST_F(PlistRoundTrip, writtenFileIsReadByPlistutilAndBack)
{
    const PlistDictionary sample = everyKindDictionary();
    const auto written = dir / "written.plist";
    ASSERT_TRUE(writePlistAtomically(sample, written));

    const auto binary = dir / "converted.bin";
    ASSERT_EQ(runProgram("plistutil", {"-i", written.string(), "-o", binary.string()}).exitStatus, 0);
    EXPECT_TRUE(readText(binary).starts_with("bplist00"));
    const std::optional<PlistValue> fromBinary = readPlistFile(binary);
    ASSERT_TRUE(fromBinary.has_value());
    EXPECT_EQ(*fromBinary, PlistValue(sample));

    // libplist's tool writes the very text we wrote: our files need no tool-specific repair.
    const auto xmlAgain = dir / "again.xml";
    ASSERT_EQ(runProgram("plistutil", {"-i", binary.string(), "-o", xmlAgain.string(), "-f", "xml"}).exitStatus, 0);
    EXPECT_EQ(readText(xmlAgain), readText(written));
}

TEST_F(PlistRoundTrip, macStyleFilesAreReadInBothFormats)
{
    const auto xml = dir / "mac.xml";
    writeText(xml, everyKindMacXml());
    const auto binary = dir / "mac.bin";
    ASSERT_EQ(runProgram("plistutil", {"-i", xml.string(), "-o", binary.string(), "-f", "bin"}).exitStatus, 0);

    for (const auto& file : {xml, binary}) {
        SCOPED_TRACE(file.filename().string());
        const std::optional<PlistValue> read = readPlistFile(file);
        ASSERT_TRUE(read.has_value());
        EXPECT_EQ(*read, PlistValue(everyKindDictionary()));
    }
}

TEST_F(PlistRoundTrip, everyKindSurvivesAsRootOfBothFormats)
{
    const std::vector<std::pair<std::string, PlistValue>> cases = {
        {"string", "text with \xC3\xA9 and &"},
        {"integer", -9876543210},
        {"real", 2.5e-7},
        {"boolean", true},
        {"date", PlistDate{-1e8}},
        {"data", PlistData{0, 1, 2, 254, 255}},
        {"array", PlistArray{1, "two", PlistArray{3.5}}},
        {"dictionary", PlistValue(everyKindDictionary())},
    };
    for (const auto& [name, value] : cases) {
        SCOPED_TRACE(name);
        const auto xml = dir / (name + ".xml");
        writeText(xml, plistToXml(value));
        const auto binary = dir / (name + ".bin");
        ASSERT_EQ(runProgram("plistutil", {"-i", xml.string(), "-o", binary.string(), "-f", "bin"}).exitStatus, 0);
        for (const auto& file : {xml, binary}) {
            const std::optional<PlistValue> read = readPlistFile(file);
            ASSERT_TRUE(read.has_value()) << file;
            EXPECT_EQ(read->kind(), value.kind());
            EXPECT_EQ(*read, value);
        }
    }
}

TEST(PlistXml, looksLikeAMacsFile)
{
    PlistDictionary dictionary;
    dictionary.set("Servers", PlistDictionary{});
    dictionary.set("List", PlistArray{"a", 1});
    EXPECT_EQ(
        plistToXml(PlistValue(dictionary)),
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n"
        "<dict>\n"
        "\t<key>Servers</key>\n"
        "\t<dict/>\n"
        "\t<key>List</key>\n"
        "\t<array>\n"
        "\t\t<string>a</string>\n"
        "\t\t<integer>1</integer>\n"
        "\t</array>\n"
        "</dict>\n"
        "</plist>\n");
}

TEST(PlistXml, keysKeepTheirOrderThroughARoundTrip)
{
    PlistDictionary dictionary;
    for (const char* key : {"zulu", "alpha", "mike", "Bravo"})
        dictionary.set(key, key);
    const std::optional<PlistValue> read = parsePlist(plistToXml(PlistValue(dictionary)));
    ASSERT_TRUE(read && read->dictionary());
    std::vector<std::string> keys;
    for (const auto& entry : *read->dictionary())
        keys.push_back(entry.first);
    EXPECT_EQ(keys, (std::vector<std::string>{"zulu", "alpha", "mike", "Bravo"}));
}

} // namespace
} // namespace veltrona::test
