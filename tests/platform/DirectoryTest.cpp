// The emulated directory as a library: lookups, renames, conflicts, corrupt files, attribute names.

#include "platform/emulated/Directory.h"
#include "foundation/PlistIO.h"
#include "platform/emulated/DirectoryStatus.h"
#include "platform/emulated/RecordAttributeNames.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <fstream>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

Status setRealName(Directory& directory, const std::string& name, const std::string& value)
{
    return directory.update(RecordType::Users, name, [&](Record& record) {
        record.setValues("realname", {value});
        return Status::success();
    });
}

std::vector<std::string> primaryNames(const Directory::Listing& listing)
{
    std::vector<std::string> names;
    for (const Record& record : listing.records)
        names.push_back(record.primaryName());
    return names;
}

TEST(DirectoryTest, AttributeNamesMapToDslocalKeysAndBack)
{
    const struct {
        const char* attribute;
        const char* key;
        const char* full;
        const char* shown;
    } cases[] = {
        {"RealName", "realname", "dsAttrTypeStandard:RealName", "RealName"},
        {"dsAttrTypeStandard:UniqueID", "uid", "dsAttrTypeStandard:UniqueID", "UniqueID"},
        {"GroupMembership", "users", "dsAttrTypeStandard:GroupMembership", "GroupMembership"},
        {"AuthenticationAuthority", "authentication_authority", "dsAttrTypeStandard:AuthenticationAuthority",
         "AuthenticationAuthority"},
        {"Password", "passwd", "dsAttrTypeStandard:Password", "Password"},
        {"dsAttrTypeNative:ShadowHashData", "ShadowHashData", "dsAttrTypeNative:ShadowHashData",
         "dsAttrTypeNative:ShadowHashData"},
        {"FavouriteColour", "FavouriteColour", "dsAttrTypeNative:FavouriteColour", "dsAttrTypeNative:FavouriteColour"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.attribute);
        EXPECT_EQ(nativeKeyForAttribute(c.attribute), c.key);
        EXPECT_EQ(fullAttributeName(c.key), c.full);
        EXPECT_EQ(displayAttributeName(c.key), c.shown);
    }
}

TEST(DirectoryTest, RecordNamesAreMatchedWithoutLetterCaseAndCheckedForEscapes)
{
    EXPECT_TRUE(recordNamesEqual("Admin", "aDMIN"));
    EXPECT_FALSE(recordNamesEqual("admin", "admins"));
    EXPECT_TRUE(recordNameLess("_www", "Bob"));
    EXPECT_TRUE(recordNameLess("alice", "Bob"));
    for (const char* bad : {"", ".", "..", "a/b", "../x", "/x"})
        EXPECT_FALSE(isValidRecordName(bad)) << bad;
    for (const char* good : {"alice", "a..b", "_amavisd", "zoë"})
        EXPECT_TRUE(isValidRecordName(good)) << good;
}

TEST(DirectoryTest, FindsRecordsByAnyNameInAnyLetterCase)
{
    TempPlatformRoot root;
    Directory directory(root.root());
    for (const char* name : {"amavisd", "_AMAVISD", "ADMIN"}) {
        Directory::Lookup lookup = directory.find(RecordType::Users, name);
        ASSERT_TRUE(lookup.record) << name;
    }
    EXPECT_EQ(directory.find(RecordType::Users, "amavisd").record->primaryName(), "_amavisd");
    EXPECT_FALSE(directory.find(RecordType::Users, "ghost").record);
    EXPECT_EQ(directory.find(RecordType::Users, "../groups/admin").status.code(), eDSInvalidRecordName);
}

TEST(DirectoryTest, ListingIsSortedByFirstNameIgnoringCase)
{
    TempPlatformRoot root;
    Directory directory(root.root());
    for (const char* name : {"Zed", "bob", "Alice"})
        ASSERT_TRUE(directory
                        .update(
                            RecordType::Users, name, [](Record&) { return Status::success(); }, true)
                        .ok());
    EXPECT_EQ(primaryNames(directory.list(RecordType::Users)),
              (std::vector<std::string>{"_accessoryupdater", "_amavisd", "_www", "admin", "Alice", "bob", "daemon",
                                        "nobody", "root", "Zed"}));
}

TEST(DirectoryTest, NewRecordsGetAGeneratedUidAndChangesAreKept)
{
    TempPlatformRoot root;
    Directory directory(root.root());
    ASSERT_TRUE(directory
                    .update(
                        RecordType::Users, "carol", [](Record&) { return Status::success(); }, true)
                    .ok());
    ASSERT_TRUE(setRealName(directory, "CAROL", "Carol C").ok());
    Directory::Lookup carol = directory.find(RecordType::Users, "carol");
    ASSERT_TRUE(carol.record);
    EXPECT_EQ(carol.file, directory.recordFolder(RecordType::Users) / "carol.plist");
    EXPECT_EQ(carol.record->firstValue("generateduid").value_or("").size(), 36u);
    EXPECT_EQ(carol.record->firstValue("realname"), "Carol C");
    EXPECT_EQ(setRealName(directory, "ghost", "x").code(), eDSRecordNotFound);
}

// User records hold password hashes: their folder and files are the owner's alone, also when an
// older record was readable by all.
TEST(DirectoryTest, UserRecordsAreReadableByTheirOwnerAlone)
{
    TempPlatformRoot root;
    Directory directory(root.root());
    const std::filesystem::path folder = directory.recordFolder(RecordType::Users);
    std::filesystem::permissions(folder, std::filesystem::perms(0755));
    std::filesystem::permissions(folder / "admin.plist", std::filesystem::perms(0644));
    ASSERT_TRUE(setRealName(directory, "admin", "Admin Again").ok());
    ASSERT_TRUE(directory
                    .update(
                        RecordType::Users, "dave", [](Record&) { return Status::success(); }, true)
                    .ok());
    auto mode = [](const std::filesystem::path& path) {
        return static_cast<unsigned>(std::filesystem::status(path).permissions()) & 0777u;
    };
    EXPECT_EQ(mode(folder), 0700u);
    EXPECT_EQ(mode(folder / "admin.plist"), 0600u);
    EXPECT_EQ(mode(folder / "dave.plist"), 0600u);
}

TEST(DirectoryTest, RenamingMovesTheFileAndRefusesTakenNames)
{
    TempPlatformRoot root;
    Directory directory(root.root());
    ASSERT_TRUE(directory
                    .update(
                        RecordType::Users, "dave", [](Record&) { return Status::success(); }, true)
                    .ok());
    auto rename = [&](const std::string& from, std::vector<std::string> names) {
        return directory.update(RecordType::Users, from, [names](Record& record) {
            record.setValues("name", names);
            return Status::success();
        });
    };
    EXPECT_EQ(rename("dave", {"dave", "ROOT"}).code(), eDSRecordAlreadyExists);
    EXPECT_EQ(rename("dave", {"amavisd"}).code(), eDSRecordAlreadyExists);
    EXPECT_EQ(rename("dave", {"../x"}).code(), eDSInvalidRecordName);
    ASSERT_TRUE(rename("dave", {"david", "dave"}).ok());
    EXPECT_FALSE(fs::exists(directory.recordFolder(RecordType::Users) / "dave.plist"));
    EXPECT_TRUE(directory.find(RecordType::Users, "dave").record);
    EXPECT_TRUE(directory.find(RecordType::Users, "root").record) << "the refused rename left root alone";
}

TEST(DirectoryTest, ACorruptRecordCostsOnlyItself)
{
    TempPlatformRoot root;
    Directory directory(root.root());
    const fs::path broken = directory.recordFolder(RecordType::Users) / "broken.plist";
    std::ofstream(broken) << "<plist><dict><key>name</key><array><string>broken";
    std::ofstream(directory.recordFolder(RecordType::Users) / "noname.plist")
        << "<plist version=\"1.0\"><dict><key>uid</key><array><string>7</string></array></dict></plist>";

    Directory::Listing listing = directory.list(RecordType::Users);
    EXPECT_EQ(listing.records.size(), 7u);
    EXPECT_EQ(listing.unreadable.size(), 2u);

    EXPECT_EQ(setRealName(directory, "broken", "x").code(), eDSCorruptRecEntryData);
    EXPECT_EQ(directory
                  .update(
                      RecordType::Users, "broken", [](Record&) { return Status::success(); }, true)
                  .code(),
              eDSCorruptRecEntryData);
    EXPECT_EQ(directory.remove(RecordType::Users, "broken").code(), eDSCorruptRecEntryData);
    EXPECT_TRUE(fs::exists(broken)) << "a corrupt file is never overwritten or removed";
    EXPECT_TRUE(setRealName(directory, "admin", "Still Fine").ok());
}

TEST(DirectoryTest, NothingHappensWithoutALocalNode)
{
    TempDir dir;
    Directory directory(dir.path());
    EXPECT_FALSE(directory.exists());
    EXPECT_TRUE(directory.list(RecordType::Users).records.empty());
    EXPECT_EQ(directory
                  .update(
                      RecordType::Users, "x", [](Record&) { return Status::success(); }, true)
                  .code(),
              eDSUnknownNodeName);
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

} // namespace
} // namespace veltrona::test
