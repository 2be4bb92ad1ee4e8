// The stand-in dscl's quick listing of many records, against the general road (the directory's
// own reading and the general property-list writer) over record files of every odd shape.

#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/tools/dsclFormat.h"
#include "platform/tools/dsclRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <fstream>
#include <plist/plist.h>
#include <sstream>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kAttributes = {"RealName", "UniqueID", "UserShell"};

Record user(std::vector<std::string> names, std::vector<std::pair<std::string, std::string>> attributes)
{
    Record record;
    record.setValues("name", names);
    for (const auto& [key, value] : attributes)
        record.setValues(key, {value});
    return record;
}

// What the general road prints for the same request.
std::pair<std::string, std::string> generalListing(const fs::path& root, const std::vector<std::string>& attributes)
{
    const Directory::Listing listing = Directory(root).list(RecordType::Users);
    std::string err;
    for (const fs::path& file : listing.unreadable)
        err += "dscl: skipping unreadable record file " + file.string() + "\n";
    PlistArray records;
    for (const Record& record : listing.records)
        records.emplace_back(dsclRecordPlist(record, attributes, true));
    return {plistToXml(records), err};
}

TEST(DsclListing, QuickListingPrintsWhatTheGeneralRoadPrints)
{
    TempPlatformRoot mac;
    Directory directory(mac.root());
    const fs::path users = directory.recordFolder(RecordType::Users);
    const auto raw = [&](const std::string& file, const std::string& bytes) {
        std::ofstream(users / file, std::ios::binary) << bytes;
    };
    const std::string head = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n<dict>\n";

    ASSERT_TRUE(directory.store(RecordType::Users, user({"Bob"}, {{"realname", "VPN-User"}, {"uid", "401"}})).ok());
    ASSERT_TRUE(
        directory
            .store(RecordType::Users,
                   user({"bob2"}, {{"realname", "a & <b> \"c\" 'd'"}, {"uid", "402"}, {"shell", "/usr/bin/false"}}))
            .ok());
    ASSERT_TRUE(
        directory.store(RecordType::Users, user({"_amavisd", "amavisd"}, {{"realname", "AMaViS"}, {"uid", "83"}}))
            .ok());
    Record withPassword = user({"carol"}, {{"realname", "VPN-User"}, {"uid", "403"}, {"shell", "/usr/bin/false"}});
    withPassword.setData("ShadowHashData", PlistData{1, 2, 3, 250});
    ASSERT_TRUE(directory.store(RecordType::Users, withPassword).ok());
    Record dataName = user({"dave"}, {{"uid", "404"}});
    dataName.setData("realname", PlistData{0xde, 0xad});
    ASSERT_TRUE(directory.store(RecordType::Users, dataName).ok());
    Record noShell = user({"erin"}, {{"realname", "VPN-User"}});
    noShell.setValues("shell", {});
    ASSERT_TRUE(directory.store(RecordType::Users, noShell).ok());

    raw("frank.plist", head
                           + "<key>name</key><array><string>frank</string></array>\n<key>uid</key><integer>405</"
                             "integer>\n</dict>\n</plist>\n");
    raw("gina.plist",
        head
            + "<key>name</key><array><string>gina</string></array>\n<key>uid</key><array><string>1</string></array>\n"
              "<key>uid</key><array><string>406</string></array>\n</dict>\n</plist>\n");
    raw("hal.plist",
        "<?xml version=\"1.0\"?>\r\n<plist "
        "version=\"1.0\">\r\n<dict>\r\n<key>name</key><array><string>hal</string></array>\r\n</dict>\r\n</plist>\r\n");
    raw("ida.plist", head
                         + "<key>name</key><array><string>ida</string></array>\n<key>realname</"
                           "key><array><string>I&#100;a</string></array>\n</dict>\n</plist>\n");
    raw("corrupt.plist", "<plist><dict><key>name</key>");
    raw("nameless.plist", head + "<key>name</key><array/>\n</dict>\n</plist>\n");
    raw("badname.plist", head + "<key>name</key><array><string>a/b</string></array>\n</dict>\n</plist>\n");
    raw(".hidden.plist", head + "<key>name</key><array><string>hidden</string></array>\n</dict>\n</plist>\n");
    raw("notes.txt", "not a record");
    fs::create_directories(users / "folder.plist");
    fs::create_symlink(users / "Bob.plist", users / "linked.plist");
    {
        PlistDictionary jack;
        jack.set("name", PlistArray{"jack"});
        jack.set("uid", PlistArray{"407"});
        const std::string xml = plistToXml(PlistValue(jack));
        plist_t node = nullptr;
        plist_from_xml(xml.data(), static_cast<std::uint32_t>(xml.size()), &node);
        char* bytes = nullptr;
        std::uint32_t length = 0;
        plist_to_bin(node, &bytes, &length);
        raw("jack.plist", std::string(bytes, length));
        plist_to_bin_free(bytes);
        plist_free(node);
    }

    const std::vector<std::vector<std::string>> requests = {kAttributes,
                                                            {"UserShell", "dsAttrTypeStandard:RealName", "RealName"},
                                                            {"ShadowHashData"},
                                                            {"RecordName"},
                                                            {"dsAttrTypeNative:uid", "NoSuchAttribute"}};
    for (const std::vector<std::string>& attributes : requests) {
        SCOPED_TRACE(attributes.front());
        std::vector<std::string> arguments = {"-plist", ".", "readall", "/Users"};
        arguments.insert(arguments.end(), attributes.begin(), attributes.end());
        std::ostringstream out, err;
        EXPECT_EQ(runDscl(arguments, mac.root(), out, err), 0);
        const auto [expectedOut, expectedErr] = generalListing(mac.root(), attributes);
        EXPECT_EQ(out.str(), expectedOut);
        EXPECT_EQ(err.str(), expectedErr);
    }
}

} // namespace
} // namespace veltrona::test
