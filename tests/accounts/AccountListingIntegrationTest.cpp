// The account list read through the real runner, shellTool and the stand-in dscl on a
// temporary emulated Mac.

#include "accounts/AccountListing.h"
#include "platform/emulated/Directory.h"
#include "tests/support/PrivilegedMac.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

void addUser(const PrivilegedMac& mac, const std::string& name, const std::string& realName, int uid, const char* shell)
{
    Record record;
    record.setValues("name", {name});
    record.setValues("realname", {realName});
    record.setValues("uid", {std::to_string(uid)});
    if (shell)
        record.setValues("shell", {shell});
    ASSERT_TRUE(Directory(mac.root()).store(RecordType::Users, record).ok());
}

TEST(AccountListingIntegration, ListsTheDirectorysVpnUsersAndFollowsADeletion)
{
    PrivilegedMac mac;
    addUser(mac, "zed", "VPN-User", 401, "/usr/bin/false");
    addUser(mac, "Bob", "VPN-User", 402, nullptr);
    addUser(mac, "carol", "VPN-User", 403, "/bin/bash");
    addUser(mac, "dave", "VPN-User", 500, "/usr/bin/false");
    addUser(mac, "erin", "Erin", 404, "/usr/bin/false");

    // Directory order: record names with letter case ignored; the administrator is no VPN user.
    const std::vector<AccountRecord> before = {{"Bob", "0"}, {"carol", "0"}, {"zed", "1"}};
    EXPECT_EQ(loadVpnAccounts(mac.runner(), mac.log()), before);

    // Deleted by another tool: the next reload shows it gone, and a second reload adds nothing.
    mac.runner().setArgs({"/bin/sh", "-c", "dscl . -delete /Users/carol"});
    mac.runner().startProcessGetResult();
    const std::vector<AccountRecord> after = {{"Bob", "0"}, {"zed", "1"}};
    EXPECT_EQ(loadVpnAccounts(mac.runner(), mac.log()), after);
    EXPECT_EQ(loadVpnAccounts(mac.runner(), mac.log()), after);
    EXPECT_TRUE(mac.log().lines.empty());
}

} // namespace
} // namespace veltrona::test
