// veltronactl's account commands where the platform misbehaves or is busy: failures the directory
// tool hides are reported (exit 3), and creations run at once never share an id.
#include "platform/emulated/Directory.h"
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/cli/CliMac.h"
#include "tests/support/FailingDscl.h"

#include <gtest/gtest.h>

#include <future>
#include <set>

namespace veltrona::test {
namespace {

// Issue 17: ten `users add` at once gave ten accounts the id 401.
TEST(CliAccounts, CreationsRunAtOnceGetDistinctIds)
{
    ASSERT_TRUE(CliMac::available())
        << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
    const CliMac mac;
    std::vector<std::future<ProcessRun>> runs;
    for (int i = 0; i < 10; ++i) {
        runs.push_back(std::async(std::launch::async, [&mac, i] {
            return mac.run({"users", "add", "user" + std::to_string(i)}, "pw" + std::to_string(i) + "\n");
        }));
    }
    for (std::future<ProcessRun>& run : runs) {
        const ProcessRun done = run.get();
        EXPECT_EQ(done.exitStatus, 0) << done.err;
    }
    std::set<std::string> ids;
    const Directory directory(mac.root());
    for (int i = 0; i < 10; ++i) {
        const std::optional<Record> user = directory.find(RecordType::Users, "user" + std::to_string(i)).record;
        ASSERT_TRUE(user) << i;
        EXPECT_TRUE(userPasswordMatches(*user, "pw" + std::to_string(i))) << i;
        ids.insert(user->values("uid").at(0));
    }
    EXPECT_EQ(ids.size(), 10U);
    EXPECT_EQ(*ids.begin(), "401");
    EXPECT_EQ(*ids.rbegin(), "410");
}

// Issue 17: a creation, reset or deletion that did not take says so and exits 3.
TEST(CliAccounts, DirectoryFailuresAreReportedNotHidden)
{
    ASSERT_TRUE(CliMac::available())
        << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
    const CliMac mac;
    ASSERT_EQ(mac.run({"users", "add", "alice"}, "old\n").exitStatus, 0);
    makeDsclFail(mac.root(), "-passwd");

    const ProcessRun add = mac.run({"users", "add", "bob"}, "pw\n");
    EXPECT_EQ(add.exitStatus, 3);
    EXPECT_EQ(add.err, "veltronactl: The VPN account could not be created.\n");
    EXPECT_FALSE(mac.hasUser("bob"));

    const ProcessRun reset = mac.run({"users", "passwd", "alice"}, "new\n");
    EXPECT_EQ(reset.exitStatus, 3);
    EXPECT_EQ(reset.err, "veltronactl: The password could not be changed.\n");
    EXPECT_TRUE(authenticateUser(Directory(mac.root()), "alice", "old", "").has_value());

    std::filesystem::rename(mac.root() / "usr/bin/dscl.real", mac.root() / "usr/bin/dscl");
    makeDsclFail(mac.root(), "-delete");
    const ProcessRun removal = mac.run({"users", "delete", "alice", "--yes"});
    EXPECT_EQ(removal.exitStatus, 3);
    EXPECT_EQ(removal.err, "veltronactl: The VPN User (alice) could not be deleted\nIt is still in the directory.\n");
    EXPECT_TRUE(mac.hasUser("alice"));
}

} // namespace
} // namespace veltrona::test
