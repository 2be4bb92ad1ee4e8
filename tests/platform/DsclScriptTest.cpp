// dscl as the program's scripts use it: through /bin/sh, with several writers at once.

#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <future>
#include <set>

namespace veltrona::test {
namespace {

// The account-creation script the program runs (its $1 .. $4: folder, full name, name, password).
const std::string kCreationScript =
    "currentDir=$1\nrealName=$2\nuserName=$3\npassword=$4\n\ncd \"$currentDir\"\n\n"
    "maxid=$(dscl . -list /Users UniqueID | grep '[4][0123456789][0123456789]' | awk '{print $2}' | sort -ug | tail "
    "-1)\n"
    "if ! ( test $maxid ) then\n\tmaxid=400\nfi\nuniqueID=$((maxid+1))\nprimaryGroupID=20\n\n"
    "dscl . -create /Users/$userName\n"
    "dscl . -create /Users/$userName UserShell /usr/bin/false\n"
    "dscl . -create /Users/$userName RealName \"$realName\"\n"
    "dscl . -create /Users/$userName UniqueID $uniqueID\n"
    "dscl . -create /Users/$userName PrimaryGroupID $primaryGroupID\n"
    "dscl . -create /Users/$userName NFSHomeDirectory /var/empty\n\n"
    "dscl . change /Users/$userName AuthenticationAuthority "
    "';ShadowHash;HASHLIST:<SALTED-SHA512-PBKDF2,SRP-RFC5054-4096-SHA512-PBKDF2>' "
    "';ShadowHash;HASHLIST:<SALTED-SHA1,SMB-NT,SMB-LAN-MANAGER>'\n\n"
    "dscl . -passwd /Users/$userName \"$password\"";

class DsclScriptTest : public ::testing::Test {
protected:
    ProcessRun shell(const std::vector<std::string>& arguments)
    {
        std::map<std::string, std::string> environment = root.environment();
        environment["PATH"] = builtMacToolsFolder().string() + ":/usr/bin:/bin";
        return runProgram("/bin/sh", arguments, environment, root.folder());
    }

    TempPlatformRoot root;
};

TEST_F(DsclScriptTest, TheCreationScriptMakesVpnAccounts)
{
    std::filesystem::create_directory(root.folder() / "VPNStuff");
    ASSERT_EQ(shell({"-c", kCreationScript, "", "VPNStuff", "VPN-User", "alice", "two words"}).exitStatus, 0);
    ASSERT_EQ(shell({"-c", kCreationScript, "", "VPNStuff", "VPN-User", "bob", "it's"}).exitStatus, 0);
    EXPECT_EQ(shell({"-c", "dscl . -list /Users UniqueID | grep -E '^(alice|bob) '"}).out,
              "alice               401\nbob                 402\n");
    EXPECT_EQ(shell({"-c", "dscl . -list /Users | grep -i '^ALICE$'"}).out, "alice\n");
    EXPECT_EQ(shell({"-c", "dscl . read /groups/admin GroupMembership | grep '\\<alice\\>'"}).out, "");

    Directory directory(root.root());
    Directory::Lookup alice = directory.find(RecordType::Users, "alice");
    ASSERT_TRUE(alice.record);
    EXPECT_EQ(alice.record->values("shell"), std::vector<std::string>{"/usr/bin/false"});
    EXPECT_EQ(alice.record->values("realname"), std::vector<std::string>{"VPN-User"});
    EXPECT_EQ(alice.record->values("gid"), std::vector<std::string>{"20"});
    EXPECT_EQ(alice.record->values("home"), std::vector<std::string>{"/var/empty"});
    EXPECT_TRUE(authenticateUser(directory, "alice", "two words", ""));
    EXPECT_TRUE(authenticateUser(directory, "bob", "it's", ""));
    EXPECT_FALSE(authenticateUser(directory, "alice", "two words", "admin"));
}

TEST_F(DsclScriptTest, ParallelWritersLoseNoRecord)
{
    // Each writer creates its users and adds each to one shared group: without the lock the
    // group's read-modify-write would lose members.
    auto writer = [this](const std::string& prefix) {
        return shell({"-c", "i=0; while [ $i -lt 50 ]; do i=$((i+1)); "
                            "dscl . -create /Users/"
                                + prefix
                                + "$i UniqueID $((1000+i)) || exit 1; "
                                  "dscl . -append /Groups/staff GroupMembership "
                                + prefix + "$i || exit 1; done"});
    };
    auto first = std::async(std::launch::async, writer, "p");
    auto second = std::async(std::launch::async, writer, "q");
    EXPECT_EQ(first.get().exitStatus, 0);
    EXPECT_EQ(second.get().exitStatus, 0);

    Directory directory(root.root());
    Directory::Listing users = directory.list(RecordType::Users);
    EXPECT_TRUE(users.unreadable.empty());
    std::set<std::string> names;
    for (const Record& user : users.records)
        names.insert(user.primaryName());
    std::set<std::string> members;
    for (const std::string& member : directory.find(RecordType::Groups, "staff").record->values("users"))
        members.insert(member);
    for (const char* prefix : {"p", "q"}) {
        for (int i = 1; i <= 50; ++i) {
            const std::string name = prefix + std::to_string(i);
            EXPECT_TRUE(names.count(name)) << name;
            EXPECT_TRUE(members.count(name)) << name;
        }
    }
    EXPECT_EQ(users.records.size(), 107u);
}

} // namespace
} // namespace veltrona::test
