// Creating, re-passwording and deleting accounts through the real runner, shellTool and the
// stand-in dscl of a fresh emulated Mac.

#include "accounts/AccountActions.h"
#include "accounts/AccountCommands.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/support/FailingDscl.h"
#include "tests/support/PrivilegedMac.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace veltrona::test {
namespace {

class AccountActions : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!PrivilegedMac::available())
            FAIL() << "shellTool or the stand-in tools are not where the build puts them: a path look-up is broken";
        mac.emplace();
    }

    std::optional<Record> user(const std::string& name) const
    {
        return Directory(mac->root()).find(RecordType::Users, name).record;
    }
    std::optional<EntryProblem> create(const std::string& name, const std::string& password = "pw")
    {
        return createVPNAccount(mac->runner(), mac->paths(), name, password);
    }

    std::optional<PrivilegedMac> mac;
};

TEST_F(AccountActions, CreationMakesAVpnOnlyAccountWithTheNextId)
{
    ASSERT_EQ(create("alice", "two words"), std::nullopt);
    const std::optional<Record> alice = user("alice");
    ASSERT_TRUE(alice);
    // The record as the directory keeps it (shell, realname, ...: dscl's UserShell, RealName, ...).
    EXPECT_EQ(alice->values("shell"), std::vector<std::string>{"/usr/bin/false"});
    EXPECT_EQ(alice->values("realname"), std::vector<std::string>{"VPN-User"});
    EXPECT_EQ(alice->values("uid"), std::vector<std::string>{"401"});
    EXPECT_EQ(alice->values("gid"), std::vector<std::string>{"20"});
    EXPECT_EQ(alice->values("home"), std::vector<std::string>{"/var/empty"});
    EXPECT_TRUE(userPasswordMatches(*alice, "two words"));
    EXPECT_FALSE(userPasswordMatches(*alice, "two"));

    // Ids freed below the largest are not reused.
    ASSERT_EQ(create("bob"), std::nullopt);
    Directory(mac->root()).update(RecordType::Users, "bob", [](Record& bob) {
        bob.setValues("uid", {"437"});
        return Status::success();
    });
    ASSERT_EQ(create("carol"), std::nullopt);
    EXPECT_EQ(user("carol")->values("uid"), std::vector<std::string>{"438"});
    EXPECT_TRUE(mac->log().lines.empty());
}

TEST_F(AccountActions, TakenNamesAreRefusedAndChangeNothing)
{
    ASSERT_EQ(create("alice"), std::nullopt);
    Record carol;
    carol.setValues("name", {"Carol"});
    carol.setValues("uid", {"501"});
    ASSERT_TRUE(Directory(mac->root()).store(RecordType::Users, carol).ok());
    const EntryProblem taken{"Account Name is used by another user.", EntryField::Name};
    // Letter case ignored ("Carol"); "amavisd" is the second name of the system account _amavisd.
    for (const std::string name : {"alice", "carol", "amavisd", "root", "admin"}) {
        const auto before = user(name);
        EXPECT_EQ(create(name), taken) << name;
        EXPECT_EQ(user(name)->attributes(), before->attributes()) << name;
    }
    EXPECT_EQ(user("_amavisd")->values("uid"), std::vector<std::string>{"83"});
}

TEST_F(AccountActions, NinetyNineAccountsFillTheRangeAndTheHundredthIsRefused)
{
    // The first 97 put straight into the directory, to keep the test quick; the last two through the road.
    Directory directory(mac->root());
    for (int id = 401; id <= 497; ++id) {
        Record record;
        record.setValues("name", {"u" + std::to_string(id)});
        record.setValues("uid", {std::to_string(id)});
        record.setValues("realname", {"VPN-User"});
        ASSERT_TRUE(directory.store(RecordType::Users, record).ok());
    }
    ASSERT_EQ(create("last1"), std::nullopt);
    ASSERT_EQ(create("last2"), std::nullopt);
    EXPECT_EQ(user("last2")->values("uid"), std::vector<std::string>{"499"});
    EXPECT_EQ(create("u100"), (EntryProblem{"No free VPN user ID is left (401\u2013499).", EntryField::Name}));
    EXPECT_FALSE(user("u100"));
}

// Issue 17: an id that merely holds "4" and two digits, or a freed id in a full range, no longer
// stops creation: the lowest free id of 401-499 is given to the script.
TEST_F(AccountActions, TheLowestFreeIdWhenTheScriptsRuleWouldMissOne)
{
    Record jo;
    jo.setValues("name", {"jo450"});
    jo.setValues("uid", {"501"});
    Directory directory(mac->root());
    ASSERT_TRUE(directory.store(RecordType::Users, jo).ok());
    ASSERT_EQ(create("first"), std::nullopt) << "the script alone would pick 502";
    EXPECT_EQ(user("first")->values("uid"), std::vector<std::string>{"401"});
    ASSERT_EQ(create("second"), std::nullopt);
    EXPECT_EQ(user("second")->values("uid"), std::vector<std::string>{"402"});
    ASSERT_TRUE(directory.remove(RecordType::Users, "jo450").ok());

    for (int id = 403; id <= 499; ++id) {
        Record record;
        record.setValues("name", {"u" + std::to_string(id)});
        record.setValues("uid", {std::to_string(id)});
        record.setValues("realname", {"VPN-User"});
        ASSERT_TRUE(directory.store(RecordType::Users, record).ok());
    }
    ASSERT_TRUE(directory.remove(RecordType::Users, "u450").ok());
    ASSERT_EQ(create("late", "late pw"), std::nullopt) << "the script alone would pick 500";
    EXPECT_EQ(user("late")->values("uid"), std::vector<std::string>{"450"});
    EXPECT_TRUE(userPasswordMatches(*user("late"), "late pw"));
    EXPECT_EQ(create("later"), (EntryProblem{"No free VPN user ID is left (401\u2013499).", EntryField::Name}));
    EXPECT_FALSE(user("later"));
}

// Issue 17: refused before anything runs, whatever road the name came by; root's record untouched.
TEST_F(AccountActions, NamesTheFilterWouldChangeOrThatLookLikeAnotherAreRefused)
{
    ASSERT_EQ(create("alice"), std::nullopt);
    const auto rootBefore = user("root")->attributes();
    const EntryProblem filtered{"An account name may hold only lower-case letters, marks and digits.",
                                EntryField::Name};
    const EntryProblem confusable{"The Account Name looks like an existing account's name.", EntryField::Name};
    const struct {
        std::string name;
        EntryProblem problem;
    } cases[] = {
        {"root x", filtered},
        {"Bob", filtered},
        {"\xD0\xB0"
         "dmin",
         confusable},                                                                 // Cyrillic a
        {"\xEF\xBD\x81\xEF\xBD\x84\xEF\xBD\x8D\xEF\xBD\x89\xEF\xBD\x8E", confusable}, // full-width admin
        {"\xD0\xB0lice", confusable},
        {std::string(65, 'a'), {"The Account Name is longer than 64 characters.", EntryField::Name}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(create(c.name), c.problem) << c.name;
        EXPECT_FALSE(user(c.name)) << c.name;
    }
    EXPECT_EQ(user("root")->attributes(), rootBefore);
    EXPECT_EQ(create("bob", std::string("pw\0more", 7)),
              (EntryProblem{"A password cannot hold a NUL character.", EntryField::Password}));
    EXPECT_EQ(create("bob", std::string(200 * 1024, 'p')),
              (EntryProblem{"The password is longer than 1024 characters.", EntryField::Password}));
    EXPECT_FALSE(user("bob"));
    ASSERT_EQ(create("bob"), std::nullopt) << "an unrelated name is taken";
}

// Issue 17: a creation or reset that did not take is reported, and leaves no half-made record.
TEST_F(AccountActions, FailedDirectoryStepsAreReportedNotHidden)
{
    ASSERT_EQ(create("alice", "old"), std::nullopt);
    makeDsclFail(mac->root(), "-passwd");
    EXPECT_EQ(create("bob"), (EntryProblem{"The VPN account could not be created.", EntryField::Name, true}));
    EXPECT_FALSE(user("bob")) << "the record without a password is removed";
    EXPECT_EQ(resetVPNAccountPassword(mac->runner(), "alice", "new"),
              (EntryProblem{"The password could not be changed.", EntryField::Password, true}));
    EXPECT_TRUE(userPasswordMatches(*user("alice"), "old"));
    // Refused before the reset runs: the password stays as it was.
    EXPECT_EQ(resetVPNAccountPassword(mac->runner(), "alice", std::string("old\0", 4)),
              (EntryProblem{"A password cannot hold a NUL character.", EntryField::Password}));

    std::filesystem::rename(mac->root() / "usr/bin/dscl.real", mac->root() / "usr/bin/dscl");
    makeDsclFail(mac->root(), "-delete");
    EXPECT_FALSE(deleteVPNAccount(mac->runner(), "alice"));
    EXPECT_TRUE(user("alice"));
}

TEST_F(AccountActions, ResetSetsExactlyTheTypedPasswordAndRunsNothingElse)
{
    ASSERT_EQ(create("bob"), std::nullopt);
    const std::filesystem::path trap = mac->root() / "trap";
    for (const std::string& password :
         std::vector<std::string>{"it's", "say \"hi\"", "$(touch " + trap.string() + ")", " edge", "in side"}) {
        EXPECT_EQ(resetVPNAccountPassword(mac->runner(), "bob", password), std::nullopt) << password;
        const std::optional<Record> bob = user("bob");
        EXPECT_TRUE(userPasswordMatches(*bob, password)) << password;
        EXPECT_FALSE(userPasswordMatches(*bob, "pw")) << password;
    }
    EXPECT_FALSE(std::filesystem::exists(trap));
}

TEST_F(AccountActions, AdministratorsAreRecognisedAndOthersDeleted)
{
    ASSERT_EQ(create("bob"), std::nullopt);
    ASSERT_EQ(create("first"), std::nullopt);
    // A name set off by a dot in an administrator's name counts as that administrator.
    Directory(mac->root()).update(RecordType::Groups, "admin", [](Record& admin) {
        admin.appendValues("users", {"first.last"});
        return Status::success();
    });
    EXPECT_TRUE(isAdministrator(mac->runner(), "admin"));
    EXPECT_TRUE(isAdministrator(mac->runner(), "first"));
    EXPECT_FALSE(isAdministrator(mac->runner(), "bob"));
    EXPECT_FALSE(isAdministrator(mac->runner(), "adm"));

    EXPECT_TRUE(deleteVPNAccount(mac->runner(), "bob"));
    EXPECT_FALSE(user("bob"));
    EXPECT_TRUE(user("first"));
}

} // namespace
} // namespace veltrona::test
