// Creating, re-passwording and deleting accounts through the real runner, shellTool and the
// stand-in dscl of a fresh emulated Mac.

#include "accounts/AccountActions.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"
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
        return createVPNAccount(mac->runner(), name, password);
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
    const EntryProblem taken{"Account Name is used by another user.", EntryField::Name};
    // Letter case ignored; "amavisd" is the second name of the system account _amavisd.
    for (const std::string name : {"alice", "ALICE", "amavisd", "root", "admin"}) {
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

TEST_F(AccountActions, ResetSetsExactlyTheTypedPasswordAndRunsNothingElse)
{
    ASSERT_EQ(create("bob"), std::nullopt);
    const std::filesystem::path trap = mac->root() / "trap";
    for (const std::string& password :
         std::vector<std::string>{"it's", "say \"hi\"", "$(touch " + trap.string() + ")", " edge", "in side"}) {
        resetVPNAccountPassword(mac->runner(), "bob", password);
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

    deleteVPNAccount(mac->runner(), "bob");
    EXPECT_FALSE(user("bob"));
    EXPECT_TRUE(user("first"));
}

} // namespace
} // namespace veltrona::test
