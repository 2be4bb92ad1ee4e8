// The dscl stand-in run as a process: byte-exact output for the program's own commands, errors
// and exit statuses, corrupt files.

#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <fstream>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

class DsclToolTest : public ::testing::Test {
protected:
    ProcessRun dscl(const std::vector<std::string>& arguments)
    {
        return runProgram((builtMacToolsFolder() / "dscl").string(), arguments, root.environment(), root.folder());
    }

    // Replaces every user with the records a test needs.
    void useUsers(const std::vector<Record>& users)
    {
        Directory directory(root.root());
        fs::remove_all(directory.recordFolder(RecordType::Users));
        for (const Record& user : users)
            ASSERT_TRUE(directory.store(RecordType::Users, user).ok());
    }

    static Record user(std::vector<std::string> names, std::vector<std::pair<std::string, std::string>> attributes)
    {
        Record record;
        record.setValues("name", names);
        for (const auto& [key, value] : attributes)
            record.setValues(key, {value});
        record.setValues("home", {"/var/empty"}); // never asked for: must not show
        return record;
    }

    TempPlatformRoot root;
};

std::string expectedEntry(const std::string& key, const std::vector<std::string>& values)
{
    std::string text = "\t\t<key>dsAttrTypeStandard:" + key + "</key>\n\t\t<array>\n";
    for (const std::string& value : values)
        text += "\t\t\t<string>" + value + "</string>\n";
    return text + "\t\t</array>\n";
}

TEST_F(DsclToolTest, ReadallPlistIsByteExactAndParsesBack)
{
    useUsers(
        {user({"zoe"}, {{"realname", "Zo\xC3\xAB & <Co>"}, {"uid", "402"}, {"shell", "/usr/bin/false"}}),
         user({"Bob"}, {{"realname", "VPN-User"}, {"uid", "401"}}),
         user({"_amavisd", "amavisd"}, {{"realname", "AMaViS Daemon"}, {"uid", "83"}, {"shell", "/usr/bin/false"}})});
    ProcessRun run = dscl({"-plist", ".", "readall", "/users", "RealName", "UniqueID", "UserShell"});
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" \"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
        "<plist version=\"1.0\">\n<array>\n"
        "\t<dict>\n"
        + expectedEntry("RealName", {"AMaViS Daemon"}) + expectedEntry("RecordName", {"_amavisd", "amavisd"})
        + expectedEntry("UniqueID", {"83"}) + expectedEntry("UserShell", {"/usr/bin/false"})
        + "\t</dict>\n"
          "\t<dict>\n"
        + expectedEntry("RealName", {"VPN-User"}) + expectedEntry("RecordName", {"Bob"})
        + expectedEntry("UniqueID", {"401"})
        + "\t</dict>\n"
          "\t<dict>\n"
        + expectedEntry("RealName", {"Zo\xC3\xAB &amp; &lt;Co&gt;"}) + expectedEntry("RecordName", {"zoe"})
        + expectedEntry("UniqueID", {"402"}) + expectedEntry("UserShell", {"/usr/bin/false"})
        + "\t</dict>\n"
          "</array>\n</plist>\n";
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, expected);

    std::optional<PlistValue> parsed = parsePlist(run.out);
    ASSERT_TRUE(parsed && parsed->array());
    ASSERT_EQ(parsed->array()->size(), 3u);
    for (const PlistValue& record : *parsed->array()) {
        ASSERT_TRUE(record.dictionary());
        for (const auto& [key, values] : *record.dictionary()) {
            ASSERT_TRUE(values.array()) << key;
            for (const PlistValue& value : *values.array())
                EXPECT_TRUE(value.string()) << key;
        }
    }
    const PlistValue* realName = parsed->array()->at(2).dictionary()->find("dsAttrTypeStandard:RealName");
    EXPECT_EQ(*realName->array()->at(0).string(), "Zo\xC3\xAB & <Co>");
}

TEST_F(DsclToolTest, ListingsFollowTheColumnRule)
{
    useUsers({user({"_amavisd", "amavisd"}, {{"uid", "83"}}), user({"Bob"}, {{"uid", "401"}}),
              user({"zo\xC3\xAB"}, {{"uid", "-2"}}), user({"averyveryverylongname"}, {}),
              user({"carol"}, {{"uid", "450"}})});
    const struct {
        std::vector<std::string> arguments;
        std::string out;
    } cases[] = {
        {{".", "-list", "/Users"}, "_amavisd\naveryveryverylongname\nBob\ncarol\nzo\xC3\xAB\n"},
        // The long name lacks a UniqueID: it is neither listed nor counted for the width.
        {{".", "-list", "/Users", "UniqueID"}, "_amavisd   83\nBob        401\ncarol      450\nzo\xC3\xAB        -2\n"},
        {{".", "list", "/users/", "RecordName"},
         "_amavisd                _amavisd amavisd\naveryveryverylongname   averyveryverylongname\n"
         "Bob                     Bob\ncarol                   carol\nzo\xC3\xAB                     zo\xC3\xAB\n"},
        {{".", "-list", "/Users", "UserShell"}, ""},
    };
    for (const auto& c : cases) {
        ProcessRun run = dscl(c.arguments);
        EXPECT_EQ(run.exitStatus, 0) << c.arguments.back();
        EXPECT_EQ(run.out, c.out) << c.arguments.back();
    }
}

TEST_F(DsclToolTest, GroupMembershipLines)
{
    EXPECT_EQ(dscl({".", "read", "/groups/admin", "GroupMembership"}).out, "GroupMembership: root admin\n");
    ProcessRun noKey = dscl({".", "read", "/groups/nobody", "GroupMembership"});
    EXPECT_EQ(noKey.out, "No such key: GroupMembership\n");
    EXPECT_EQ(noKey.exitStatus, 0);

    ASSERT_EQ(dscl({".", "-append", "/Groups/admin", "GroupMembership", "Jane Doe"}).exitStatus, 0);
    EXPECT_EQ(dscl({".", "read", "/groups/admin", "GroupMembership"}).out,
              "GroupMembership:\n root\n admin\n Jane Doe\n");
    EXPECT_EQ(dscl({".", "-read", "/Groups/admin", "PrimaryGroupID", "Nope", "RealName"}).out,
              "PrimaryGroupID: 80\nRealName: Administrators\nNo such key: Nope\n");
}

TEST_F(DsclToolTest, ErrorsAndExitStatuses)
{
    const std::string notFound = "<dscl_cmd> DS Error: -14136 (eDSRecordNotFound)\n";
    const std::string valueNotFound =
        "<main> attribute status: eDSAttributeValueNotFound\n<dscl_cmd> DS Error: -14143 (eDSAttributeValueNotFound)\n";
    const std::string invalidName = "<dscl_cmd> DS Error: -14133 (eDSInvalidRecordName)\n";
    const struct {
        std::vector<std::string> arguments;
        std::string err;
        int exitStatus;
    } cases[] = {
        {{".", "read", "/Users/ghost"}, notFound, 56},
        {{".", "read", "/groups/ghost", "GroupMembership"}, notFound, 56},
        {{".", "-passwd", "/Users/ghost", "pw"}, notFound, 56},
        {{".", "-append", "/Users/ghost", "RealName", "x"}, notFound, 56},
        {{".", "-delete", "/Users/ghost"}, "<main> delete status: eDSRecordNotFound\n" + notFound, 56},
        {{".", "change", "/Users/admin", "RealName", "Nobody Here", "x"}, valueNotFound, 63},
        {{".", "change", "/Users/admin", "Missing", "a", "b"}, valueNotFound, 63},
        {{".", "-delete", "/Users/admin", "RealName", "Nobody Here"}, valueNotFound, 63},
        {{".", "-create", "/Users/admin", "RecordName", "admin", "root"},
         "<main> attribute status: eDSRecordAlreadyExists\n<dscl_cmd> DS Error: -14135 (eDSRecordAlreadyExists)\n",
         55},
        {{".", "-passwd", "/Users/admin", "wrong", "new"}, "<dscl_cmd> DS Error: -14090 (eDSAuthFailed)\n", 10},
        {{".", "-create", "/Users/../groups/admin"}, invalidName, 53},
        {{".", "-create", "/Users/a/b", "RealName", "x"}, invalidName, 53},
        {{".", "-create", "/Users/.."}, invalidName, 53},
        {{".", "-delete", "/Users/../../../etc"}, invalidName, 53},
    };
    for (const auto& c : cases) {
        ProcessRun run = dscl(c.arguments);
        EXPECT_EQ(run.err, c.err) << c.arguments[2];
        EXPECT_EQ(run.exitStatus, c.exitStatus) << c.arguments[2];
        EXPECT_EQ(run.out, "") << c.arguments[2];
    }
    EXPECT_EQ(dscl({".", "read", "/Users/admin", "RealName"}).out, "RealName:\n Admin User\n") << "unchanged";
    EXPECT_FALSE(fs::exists(root.root() / "var/db/dslocal/nodes/Default/groups/admin.plist.plist"));
    EXPECT_FALSE(fs::exists(root.root() / "var/db/dslocal/nodes/Default/users/a"));
}

TEST_F(DsclToolTest, CommandLinesItDoesNotUnderstandAreUsageErrors)
{
    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{},
                                               {"."},
                                               {"/Search", "-list", "/Users"},
                                               {".", "-frobnicate", "/Users"},
                                               {".", "-list"},
                                               {".", "change", "/Users/admin", "RealName", "x"},
                                               {".", "-passwd", "/Users/admin"}}) {
        ProcessRun run = dscl(arguments);
        EXPECT_EQ(run.exitStatus, 64) << testing::PrintToString(arguments);
        EXPECT_NE(run.err, "");
    }
    ProcessRun unknownType = dscl({".", "-list", "/Computers"});
    EXPECT_EQ(unknownType.exitStatus, 185);
}

TEST_F(DsclToolTest, WritesChangeWhatTheyName)
{
    ASSERT_EQ(dscl({".", "-create", "/Users/erin"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-create", "/Users/erin", "UserShell", "/bin/zsh"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-create", "/Users/ERIN", "UserShell", "/usr/bin/false"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-append", "/Users/erin", "Comment", "one", "two"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-merge", "/Users/erin", "Comment", "two", "three"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "change", "/Users/erin", "Comment", "one", "uno"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-delete", "/Users/erin", "Comment", "two"}).exitStatus, 0);
    EXPECT_EQ(dscl({".", "read", "/Users/erin", "UserShell", "Comment"}).out,
              "Comment: uno three\nUserShell: /usr/bin/false\n");
    ASSERT_EQ(dscl({".", "-delete", "/Users/erin", "Comment"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-delete", "/Users/Erin"}).exitStatus, 0);
    EXPECT_EQ(dscl({".", "read", "/Users/erin"}).exitStatus, 56);
}

TEST_F(DsclToolTest, PasswordsAreStoredOnlyAsHashes)
{
    ASSERT_EQ(dscl({".", "-create", "/Users/fay"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-passwd", "/Users/fay", "it's a secret"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-passwd", "/Users/fay", "it's a secret", "next one"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-create", "/Users/fay", "Password", "plain text"}).exitStatus, 0);
    const std::string stored = readText(root.root() / "var/db/dslocal/nodes/Default/users/fay.plist");
    for (const char* text : {"it's a secret", "next one", "plain text"})
        EXPECT_EQ(stored.find(text), std::string::npos) << text;
    EXPECT_EQ(dscl({".", "read", "/Users/fay", "Password", "AuthenticationAuthority"}).out,
              "AuthenticationAuthority: ;ShadowHash;HASHLIST:<SALTED-SHA512-PBKDF2,SRP-RFC5054-4096-SHA512-PBKDF2>\n"
              "Password: ********\n");
    EXPECT_EQ(dscl({".", "-passwd", "/Users/fay", "next one", "x"}).exitStatus, 10) << "the -create replaced it";
    EXPECT_EQ(dscl({".", "-passwd", "/Users/fay", "plain text", "x"}).exitStatus, 0);
}

TEST_F(DsclToolTest, AuthonlyChecksAPasswordAndChangesNothing)
{
    ASSERT_EQ(dscl({".", "-create", "/Users/gus"}).exitStatus, 0);
    ASSERT_EQ(dscl({".", "-passwd", "/Users/gus", " two words "}).exitStatus, 0);
    const fs::path file = root.root() / "var/db/dslocal/nodes/Default/users/gus.plist";
    const std::string stored = readText(file);

    const ProcessRun right = dscl({".", "-authonly", "gus", " two words "});
    EXPECT_EQ(right.exitStatus, 0);
    EXPECT_EQ(right.out + right.err, "");
    const ProcessRun wrong = dscl({".", "-authonly", "gus", "two words"});
    EXPECT_EQ(wrong.out, "");
    EXPECT_EQ(wrong.err, "<dscl_cmd> DS Error: -14090 (eDSAuthFailed)\n");
    EXPECT_EQ(wrong.exitStatus, 10);
    const ProcessRun ghost = dscl({".", "-authonly", "ghost", "x"});
    EXPECT_EQ(ghost.err, "<dscl_cmd> DS Error: -14136 (eDSRecordNotFound)\n");
    EXPECT_EQ(ghost.exitStatus, 56);
    EXPECT_EQ(dscl({".", "-authonly", "gus"}).exitStatus, 64);
    EXPECT_EQ(readText(file), stored);
}

TEST_F(DsclToolTest, ACorruptRecordFileHidesNothingElse)
{
    const fs::path users = Directory(root.root()).recordFolder(RecordType::Users);
    std::ofstream(users / "broken.plist") << "<?xml version=\"1.0\"?><plist><dict><key>name";
    ProcessRun list = dscl({".", "-list", "/Users"});
    EXPECT_EQ(list.exitStatus, 0);
    EXPECT_EQ(list.out, "_accessoryupdater\n_amavisd\n_www\nadmin\ndaemon\nnobody\nroot\n");
    EXPECT_NE(list.err.find("broken.plist"), std::string::npos);

    ProcessRun readall = dscl({"-plist", ".", "readall", "/users", "RealName", "UniqueID", "UserShell"});
    std::optional<PlistValue> parsed = parsePlist(readall.out);
    ASSERT_TRUE(parsed && parsed->array());
    EXPECT_EQ(parsed->array()->size(), 7u);

    ProcessRun write = dscl({".", "-create", "/Users/broken", "RealName", "x"});
    EXPECT_EQ(write.err, "<dscl_cmd> DS Error: -14065 (eDSCorruptRecEntryData)\n");
    EXPECT_EQ(write.exitStatus, 241);
    EXPECT_EQ(dscl({".", "-create", "/Users/carl", "RealName", "Carl"}).exitStatus, 0);
}

} // namespace
} // namespace veltrona::test
