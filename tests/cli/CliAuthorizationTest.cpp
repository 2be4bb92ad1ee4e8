// Without an authenticated administrator veltronactl runs nothing and exits 2; a platform that is
// not there is exit 3, a root refused as a place exit 1.
#include "platform/emulated/KeychainServicesEmulated.h"
#include "tests/cli/CliMac.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(CliAuthorization, NothingRunsWithoutAnAdministrator)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    CliMac mac;
    // A VPN user with a password of its own: a real account, but no administrator.
    ASSERT_EQ(mac.run({"users", "add", "bob"}, "bobpw\n").exitStatus, 0);
    const std::string postedBefore = mac.notifications();

    struct Case {
        const char* name;
        std::vector<std::string> arguments;
        std::map<std::string, std::string> environment;
        std::string input;
        const char* message;
    };
    const Case cases[] = {
        {"WrongPassword",
         {"start"},
         {{"VELTRONA_ADMIN_PASSWORD", "wrong"}},
         "",
         "Cannot authenticate the Administrator"},
        // With the variable set, a right password on standard input is not tried.
        {"WrongVariableRightInput",
         {"start"},
         {{"VELTRONA_ADMIN_PASSWORD", "wrong"}},
         "secret\n",
         "Cannot authenticate"},
        {"NoPassword", {"start"}, {{"VELTRONA_ADMIN_PASSWORD", ""}}, "", "No administrator password"},
        {"WrongPasswordOnInput", {"start"}, {{"VELTRONA_ADMIN_PASSWORD", ""}}, "nope\n", "Cannot authenticate"},
        {"NotAnAdministrator",
         {"--admin", "bob", "start"},
         {{"VELTRONA_ADMIN_PASSWORD", "bobpw"}},
         "",
         "Cannot authenticate"},
        {"UnknownAdministrator", {"--admin", "nobody", "uninstall", "--yes"}, {}, "", "Cannot authenticate"},
        {"NotAnAdministratorDeleting",
         {"--admin", "bob", "users", "delete", "bob", "--yes"},
         {{"VELTRONA_ADMIN_PASSWORD", "bobpw"}},
         "",
         "Cannot authenticate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ProcessRun run = mac.run(c.arguments, c.input, c.environment);
        EXPECT_EQ(run.exitStatus, 2) << run.out << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_FALSE(mac.installed());
        EXPECT_FALSE(mac.jobLoaded());
        EXPECT_TRUE(mac.hasUser("bob"));
        EXPECT_EQ(mac.notifications(), postedBefore);
    }

    // The administrator's password on the first line, the command's input after it.
    const ProcessRun fromInput =
        mac.run({"users", "add", "carol"}, "secret\ncarolpw\n", {{"VELTRONA_ADMIN_PASSWORD", ""}});
    EXPECT_EQ(fromInput.exitStatus, 0) << fromInput.err;
    EXPECT_TRUE(mac.hasUser("carol"));
    // Full name or record name, as the window's login takes either.
    EXPECT_EQ(mac.run({"--admin", "Admin User", "users"}).exitStatus, 0);
}

// The password the window remembered (service: the window's program name, account: the name in its
// login field) serves too; a stale one falls through to standard input.
TEST(CliAuthorization, PasswordRememberedByTheWindow)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    CliMac mac;
    KeychainServicesEmulated keychain(PlatformPaths(mac.root()), kTestAdminName);
    ASSERT_EQ(keychain.addGenericPassword(nullptr, "Veltrona", kTestAdminFullName, kTestAdminPassword, nullptr),
              errSecSuccess);
    const std::map<std::string, std::string> noVariable{{"VELTRONA_ADMIN_PASSWORD", ""}};
    const ProcessRun remembered = mac.run({"users", "--json"}, "", noVariable);
    EXPECT_EQ(remembered.exitStatus, 0) << remembered.err;

    SecKeychainItemRef item;
    ASSERT_EQ(keychain.findGenericPassword(nullptr, "Veltrona", kTestAdminFullName, nullptr, &item), errSecSuccess);
    ASSERT_EQ(keychain.deleteItem(item), errSecSuccess);
    ASSERT_EQ(keychain.addGenericPassword(nullptr, "Veltrona", kTestAdminFullName, "stale", nullptr), errSecSuccess);
    EXPECT_EQ(mac.run({"users"}, "", noVariable).exitStatus, 2);
    EXPECT_EQ(mac.run({"users"}, "secret\n", noVariable).exitStatus, 0);
}

TEST(CliAuthorization, MissingOrRefusedPlatformRoot)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    CliMac mac;
    const ProcessRun empty = mac.run({"--platform-root", (mac.root() / "Users").string(), "status", "--json"});
    EXPECT_EQ(empty.exitStatus, 3);
    EXPECT_NE(empty.out.find(R"("ok":false,"exitCode":3,"error":"There is no emulated Mac in )"), std::string::npos)
        << empty.out;
    const ProcessRun slash = mac.run({"--platform-root", "/", "status"});
    EXPECT_EQ(slash.exitStatus, 1) << slash.err;
}

} // namespace
} // namespace veltrona::test
