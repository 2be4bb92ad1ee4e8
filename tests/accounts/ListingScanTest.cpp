// The quick reading of a directory listing against the general property-list reader: the plain
// shape the tool prints is read quickly, anything else goes the general way, and where both
// answer they agree.

#include "accounts/ListedUser.h"
#include "foundation/PlistIO.h"

#include <gtest/gtest.h>

#include <plist/plist.h>

namespace veltrona::test {
namespace {

const std::string kHead =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
    "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n<plist version=\"1.0\">\n";

std::string listing(const std::string& body)
{
    return kHead + body + "</plist>";
}

std::string record(const std::string& entries)
{
    return "\t<dict>\n" + entries + "\t</dict>\n";
}

std::string entry(const std::string& attribute, const std::string& items)
{
    return "\t\t<key>dsAttrTypeStandard:" + attribute + "</key>\n\t\t<array>\n" + items + "\t\t</array>\n";
}

std::string item(const std::string& value)
{
    return "\t\t\t<string>" + value + "</string>\n";
}

std::string binaryListing()
{
    PlistDictionary user;
    user.set("dsAttrTypeStandard:RecordName", PlistArray{"amy"});
    const std::string xml = plistToXml(PlistArray{user});
    plist_t root = nullptr;
    plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &root);
    char* bytes = nullptr;
    std::uint32_t length = 0;
    plist_to_bin(root, &bytes, &length);
    std::string binary(bytes, length);
    plist_to_bin_free(bytes);
    plist_free(root);
    return binary;
}

TEST(ListingScan, QuickReadingAgreesWithTheGeneralReader)
{
    const std::string amy = record(entry("RealName", item("VPN-User")) + entry("RecordName", item("amy"))
                                   + entry("UniqueID", item("401")) + entry("UserShell", item("/usr/bin/false")));
    struct Row {
        const char* why;
        std::string text;
        bool quick; // the quick road must answer
    };
    const std::vector<Row> table = {
        {"the tool's own output", listing("<array>\n" + amy + amy + "</array>\n"), true},
        {"as the runner gives it, last line end cut", listing("<array>\n" + amy + "</array>\n"), true},
        {"no records", listing("<array/>\n"), true},
        {"named entities",
         listing("<array>\n" + record(entry("RealName", item("a &amp; &lt;b&gt; &quot;c&apos;"))) + "</array>\n"),
         true},
        {"empty string and empty array",
         listing("<array>\n" + record(entry("RealName", "\t\t\t<string/>\n") + "\t\t<key>x</key>\n\t\t<array/>\n")
                 + "</array>\n"),
         true},
        {"several values, other attributes",
         listing("<array>\n"
                 + record(entry("NFSHomeDirectory", item("/var/empty"))
                          + entry("RecordName", item("_amavisd") + item("amavisd")))
                 + "</array>\n"),
         true},
        {"an empty record", listing("<array>\n\t<dict/>\n</array>\n"), true},
        {"a numeric character reference",
         listing("<array>\n" + record(entry("RealName", item("VPN&#45;User"))) + "</array>\n"), false},
        {"character data section",
         listing("<array>\n" + record(entry("RealName", item("<![CDATA[VPN-User]]>"))) + "</array>\n"), false},
        {"a comment", listing("<array>\n<!-- x -->\n" + amy + "</array>\n"), false},
        {"a data value first",
         listing("<array>\n" + record(entry("RealName", "\t\t\t<data>AAAA</data>\n" + item("VPN-User")))
                 + "</array>\n"),
         false},
        {"an attribute that is no array",
         listing("<array>\n" + record("\t\t<key>dsAttrTypeStandard:RealName</key>\n\t\t<string>VPN-User</string>\n")
                 + "</array>\n"),
         false},
        {"a key twice",
         listing("<array>\n" + record(entry("RealName", item("a")) + entry("RealName", item("VPN-User")))
                 + "</array>\n"),
         false},
        {"an element that is no record", listing("<array>\n\t<string>x</string>\n" + amy + "</array>\n"), false},
        {"carriage returns", listing("<array>\r\n" + amy + "</array>\r\n"), false},
        {"a binary listing", binaryListing(), false},
        {"text after the end", listing("<array/>\n") + "\nDS Error", false},
        {"a NUL byte",
         listing("<array>\n" + record(entry("RealName", item(std::string("VPN\0User", 8)))) + "</array>\n"), false},
        {"a dictionary at the root", listing("<dict/>\n"), false},
        {"an error message", "<dscl_cmd> DS Error: -14009 (eDSUnknownNodeName)", false},
        {"nothing", "", false},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.why);
        const std::optional<std::vector<ListedUser>> quick = scanListing(row.text);
        EXPECT_EQ(quick.has_value(), row.quick);
        if (quick) {
            EXPECT_EQ(quick, readListing(row.text));
        }
    }
}

TEST(ListingScan, FirstValuesOfTheFourAttributes)
{
    const std::string text =
        listing("<array>\n"
                + record(entry("RealName", item("VPN-User") + item("x"))
                         + entry("RecordName", item("amy") + item("amelia")) + entry("UniqueID", item("401")))
                + "</array>\n");
    const std::vector<ListedUser> expected = {{"amy", "VPN-User", "401", std::nullopt}};
    EXPECT_EQ(scanListing(text), expected);
    EXPECT_EQ(readListing(text), expected);
}

} // namespace
} // namespace veltrona::test
