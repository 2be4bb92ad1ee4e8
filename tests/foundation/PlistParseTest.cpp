// Reading property lists: tool output, malformed and hostile input, and files that are not there.
#include "foundation/PlistIO.h"
#include "foundation/PlistNode.h"
#include "tests/foundation/PlistSamples.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sys/stat.h>

namespace veltrona::test {
namespace {

std::string binaryOf(const PlistValue& value)
{
    detail::PlistNodePtr node = detail::toPlistNode(value);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(node.get(), &bytes, &length);
    std::string binary(bytes, length);
    plist_to_bin_free(bytes);
    return binary;
}

PlistValue nestedArrays(int depth)
{
    PlistValue value = PlistArray{};
    for (int i = 1; i < depth; ++i)
        value = PlistArray{std::move(value)};
    return value;
}

std::string nestedArraysXml(int depth)
{
    std::string text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n";
    for (int i = 0; i < depth; ++i)
        text += "<array>";
    for (int i = 0; i < depth; ++i)
        text += "</array>";
    return text + "\n</plist>\n";
}

TEST(PlistParse, readsAccountListingAsTheRunnerReturnsIt)
{
    // The runner drops the output's last character, the final line feed.
    const std::string listing =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<array>\n\t<dict>\n"
        "\t\t<key>dsAttrTypeStandard:RecordName</key>\n\t\t<array>\n\t\t\t<string>vpnuser</string>\n\t\t</array>\n"
        "\t\t<key>dsAttrTypeStandard:UniqueID</key>\n\t\t<array>\n\t\t\t<string>401</string>\n\t\t</array>\n"
        "\t</dict>\n\t<dict>\n"
        "\t\t<key>dsAttrTypeStandard:RecordName</key>\n\t\t<array>\n\t\t\t<string>_amavisd</string>\n"
        "\t\t\t<string>amavisd</string>\n\t\t</array>\n\t</dict>\n</array>\n</plist>";
    const std::optional<PlistValue> parsed = parsePlist(listing);
    ASSERT_TRUE(parsed && parsed->array());
    ASSERT_EQ(parsed->array()->size(), 2u);
    const PlistDictionary* first = (*parsed->array())[0].dictionary();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(*first->find("dsAttrTypeStandard:UniqueID"), PlistValue(PlistArray{"401"}));
    EXPECT_EQ(*(*parsed->array())[1].dictionary()->find("dsAttrTypeStandard:RecordName"),
              PlistValue(PlistArray{"_amavisd", "amavisd"}));
}

TEST(PlistParse, malformedTextGivesNothing)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"empty", ""},
        {"garbage", "hello, world"},
        {"zero bytes", std::string(16, '\0')},
        {"unclosed dictionary", "<plist version=\"1.0\"><dict><key>a</key><string>b</string></plist>"},
        {"no root value", "<plist version=\"1.0\"></plist>"},
        {"binary magic alone", "bplist00"},
        {"binary magic and junk", "bplist00" + std::string(40, 'x')},
        {"closing tag missing", "<plist version=\"1.0\">\n<string>x</string>\n"},
        // libplist would read these as 0, and the value would be lost on the next save.
        {"integer with a letter", "<plist version=\"1.0\"><dict><key>n</key><integer>12x</integer></dict></plist>"},
        {"empty integer", "<plist version=\"1.0\"><array><integer></integer></array></plist>"},
        {"integer of blanks", "<plist version=\"1.0\"><integer> </integer></plist>"},
        {"integer never closed", "<plist version=\"1.0\"><integer>5</plist>"},
    };
    for (const auto& [name, text] : cases)
        EXPECT_FALSE(parsePlist(text).has_value()) << name;
}

TEST(PlistParse, everyTruncationOfAFileGivesNothing)
{
    const std::string xml = everyKindMacXml();
    const std::string binary = binaryOf(PlistValue(everyKindDictionary()));
    ASSERT_TRUE(parsePlist(binary).has_value());
    const std::size_t xmlComplete = xml.rfind("</plist>") + std::string("</plist>").size();
    for (std::size_t cut = 0; cut < xmlComplete; ++cut)
        ASSERT_FALSE(parsePlist(std::string_view(xml).substr(0, cut)).has_value()) << "XML cut at " << cut;
    for (std::size_t cut = 0; cut < binary.size(); ++cut)
        ASSERT_FALSE(parsePlist(std::string_view(binary).substr(0, cut)).has_value()) << "binary cut at " << cut;
}

TEST(PlistParse, damagedBinaryNeverCrashesAndWhatIsReadCanBeWritten)
{
    const std::string binary = binaryOf(PlistValue(everyKindDictionary()));
    std::mt19937 random(20160930);
    for (int round = 0; round < 3000; ++round) {
        std::string damaged = binary;
        for (int flips = 1 + round % 4; flips > 0; --flips)
            damaged[random() % damaged.size()] = static_cast<char>(random() % 256);
        if (const std::optional<PlistValue> read = parsePlist(damaged)) {
            ASSERT_TRUE(plistToXml(*read).ends_with("</plist>\n")) << "round " << round;
        }
    }
}

TEST(PlistParse, nestingBeyondTheLimitIsRefusedInBothFormats)
{
    struct Case {
        std::string name;
        std::string bytes;
        bool accepted;
    };
    const std::vector<Case> cases = {
        {"XML 100 deep", nestedArraysXml(100), true},
        {"XML 100000 deep", nestedArraysXml(100000), false},
        {"XML deep inside a comment",
         "<plist version=\"1.0\"><!-- " + nestedArraysXml(2000) + " --><string>x</string></plist>", true},
        {"binary 100 deep", binaryOf(nestedArrays(100)), true},
        {"binary 2000 deep", binaryOf(nestedArrays(2000)), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parsePlist(c.bytes).has_value(), c.accepted) << c.name;
}

TEST(PlistParse, binaryArrayContainingItselfGivesNothing)
{
    std::string bytes = "bplist00";
    bytes += std::string("\xA1\x00", 2); // object 0: an array whose one element is object 0
    bytes += '\x08';                     // the offset table
    std::string trailer(32, '\0');
    trailer[6] = 1;   // offset size
    trailer[7] = 1;   // reference size
    trailer[15] = 1;  // one object
    trailer[31] = 10; // the offset table's position
    EXPECT_FALSE(parsePlist(bytes + trailer).has_value());
}

TEST(PlistParse, datesKeepFractionsAndSignInBinaryFiles)
{
    for (double seconds : {0.0, 1.25, -1.5, -1.000001, -86400.75, 600000000.75, -1000000000.5}) {
        const std::optional<PlistValue> read = parsePlist(binaryOf(PlistDate{seconds}));
        ASSERT_TRUE(read && read->date()) << seconds;
        EXPECT_NEAR(read->date()->seconds, seconds, 1e-6);
    }
}

TEST(PlistParse, decimalCommaLocaleDoesNotChangeReals)
{
    TempDir locales;
    if (!programAvailable("localedef"))
        FAIL() << "localedef is missing: scripts/install-deps.sh installs it (package libc-bin)";
    runProgram("localedef", {"-i", "de_DE", "-f", "UTF-8", (locales / "de_DE.UTF-8").string()});
    ::setenv("LOCPATH", locales.path().c_str(), 1);
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string restore = previous ? previous : "C";
    const bool german = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    std::optional<PlistValue> read;
    std::string xml;
    if (german) {
        read = parsePlist("<plist version=\"1.0\"><real>2.25</real></plist>");
        xml = plistToXml(PlistValue(1.5));
    }
    std::setlocale(LC_ALL, restore.c_str());
    ::unsetenv("LOCPATH");
    if (!german)
        FAIL() << "the de_DE locale could not be made: scripts/install-deps.sh installs its source (package locales)";
    ASSERT_TRUE(read && read->real());
    EXPECT_EQ(*read->real(), 2.25);
    EXPECT_NE(xml.find("<real>1.5</real>"), std::string::npos);
}

TEST(PlistParse, wellFormedIntegersAndAByteOrderMarkAreRead)
{
    const std::optional<PlistValue> read = parsePlist(
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array>"
        "<integer> 42 </integer><integer>-7</integer><integer>+3</integer><integer>0x1F</integer></array></plist>");
    ASSERT_TRUE(read && read->array());
    EXPECT_EQ(*read, PlistValue(PlistArray{PlistValue(std::int64_t{42}), PlistValue(std::int64_t{-7}),
                                           PlistValue(std::int64_t{3}), PlistValue(std::int64_t{31})}));
}

// Control characters typed into a field must not make the file unreadable for other XML readers:
// XML 1.0 forbids them raw and as character references alike, and U+FFFE and U+FFFF too.
TEST(PlistParse, charactersXmlForbidsAreLeftOut)
{
    const std::string awkward = "a\x01"
                                "b\x1F"
                                "\tc\r\nd\x7F\xEF\xBF\xBF"
                                "e\xEF\xBF\xBE\xEF\xBF\xBD";
    PlistDictionary dictionary;
    dictionary.set("k\x02", awkward);
    const std::string xml = plistToXml(PlistValue(dictionary));
    for (char c = 1; c < 0x20; ++c) {
        if (c != '\t' && c != '\n' && c != '\r') {
            EXPECT_EQ(xml.find(c), std::string::npos) << int(c);
        }
    }
    EXPECT_EQ(xml.find("&#"), std::string::npos) << xml;
    EXPECT_EQ(xml.find("\xEF\xBF\xBE"), std::string::npos);
    EXPECT_EQ(xml.find("\xEF\xBF\xBF"), std::string::npos);
    PlistDictionary kept;
    kept.set("k", "ab\tc\r\nd\x7F"
                  "e\xEF\xBF\xBD");
    EXPECT_EQ(parsePlist(xml), PlistValue(kept)) << "the rest is kept, U+FFFD and DEL included";
}

TEST(PlistFile, unreadablePlacesGiveNothing)
{
    TempDir dir;
    writeText(dir / "broken.plist", "<plist version=\"1.0\"><dict><key>a</key>");
    std::filesystem::create_directory(dir / "folder.plist");
    std::filesystem::create_symlink(dir / "nowhere.plist", dir / "dangling.plist");
    {
        std::ofstream huge(dir / "huge.plist", std::ios::binary);
        huge << "<plist version=\"1.0\"><string>";
    }
    std::filesystem::resize_file(dir / "huge.plist", 65 * 1024 * 1024);
    // A FIFO would block a reader forever; it is refused at once.
    ASSERT_EQ(::mkfifo((dir / "fifo.plist").c_str(), 0600), 0);
    for (const char* name :
         {"missing.plist", "broken.plist", "folder.plist", "dangling.plist", "huge.plist", "fifo.plist"})
        EXPECT_FALSE(readPlistFile(dir / name).has_value()) << name;
    EXPECT_FALSE(readPlistFile("").has_value());
}

TEST(PlistFile, dictionaryReadRefusesOtherRoots)
{
    TempDir dir;
    writeText(dir / "array.plist", "<plist version=\"1.0\"><array><string>a</string></array></plist>");
    writeText(dir / "dict.plist", "<plist version=\"1.0\"><dict><key>a</key><integer>1</integer></dict></plist>");
    EXPECT_TRUE(readPlistFile(dir / "array.plist").has_value());
    EXPECT_FALSE(readPlistDictionaryFile(dir / "array.plist").has_value());
    EXPECT_FALSE(readPlistDictionaryFile(dir / "missing.plist").has_value());
    const std::optional<PlistValue> dict = readPlistDictionaryFile(dir / "dict.plist");
    ASSERT_TRUE(dict && dict->dictionary());
    const PlistValue* a = dict->dictionary()->find("a");
    ASSERT_TRUE(a && a->integer());
    EXPECT_EQ(*a->integer(), 1);
}

} // namespace
} // namespace veltrona::test
