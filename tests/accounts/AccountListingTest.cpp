// Which directory records become rows of the account list, read from listings shaped as the
// directory tool prints them.

#include "accounts/AccountListing.h"
#include "foundation/PlistIO.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/RecordingRunner.h"

#include <gtest/gtest.h>

#include <optional>

namespace veltrona::test {
namespace {

using Values = std::optional<std::vector<std::string>>; // nothing: the attribute is absent

struct ListedRecord {
    const char* why;
    std::string name;
    Values realName;
    Values uniqueId;
    Values shell;
    std::optional<std::string> hidden; // nothing: not a VPN user
};

PlistDictionary recordPlist(const ListedRecord& row)
{
    PlistDictionary record;
    const auto put = [&](const char* attribute, const Values& values) {
        if (!values)
            return;
        PlistArray array;
        for (const std::string& value : *values)
            array.emplace_back(value);
        record.set(std::string("dsAttrTypeStandard:") + attribute, std::move(array));
    };
    put("RealName", row.realName);
    put("RecordName", std::vector<std::string>{row.name});
    put("UniqueID", row.uniqueId);
    put("UserShell", row.shell);
    return record;
}

std::string listingOf(const std::vector<ListedRecord>& rows)
{
    PlistArray records;
    for (const ListedRecord& row : rows)
        records.emplace_back(recordPlist(row));
    return plistToXml(records);
}

const Values vpn = std::vector<std::string>{"VPN-User"};
const Values noShell = std::nullopt;
Values one(const char* value)
{
    return std::vector<std::string>{value};
}

TEST(AccountListing, MembershipAndHiddenFlagFollowTheFirstValues)
{
    const std::vector<ListedRecord> table = {
        {"lowest id", "low", vpn, one("401"), one("/usr/bin/false"), "1"},
        {"highest id", "high", vpn, one("499"), one("/usr/bin/false"), "1"},
        {"just below", "below", vpn, one("400"), one("/usr/bin/false"), std::nullopt},
        {"just above", "above", vpn, one("500"), one("/usr/bin/false"), std::nullopt},
        {"id read as intValue reads it", "padded", vpn, one("  +450abc"), one("/usr/bin/false"), "1"},
        {"id without digits counts as 0", "wordy", vpn, one("four hundred"), one("/usr/bin/false"), std::nullopt},
        {"no id", "noid", vpn, std::nullopt, one("/usr/bin/false"), std::nullopt},
        {"full name in other letter case", "lower", one("vpn-user"), one("450"), one("/usr/bin/false"), std::nullopt},
        {"full name with a trailing blank", "blank", one("VPN-User "), one("450"), one("/usr/bin/false"), std::nullopt},
        {"no full name", "nameless", std::nullopt, one("450"), one("/usr/bin/false"), std::nullopt},
        {"first full name decides (in)", "firstin", std::vector<std::string>{"VPN-User", "Other"}, one("450"),
         one("/usr/bin/false"), "1"},
        {"first full name decides (out)", "firstout", std::vector<std::string>{"Other", "VPN-User"}, one("450"),
         one("/usr/bin/false"), std::nullopt},
        {"first id decides", "firstid", vpn, std::vector<std::string>{"501", "450"}, one("/usr/bin/false"),
         std::nullopt},
        {"login shell", "shown", vpn, one("451"), one("/bin/bash"), "0"},
        {"no shell", "noshell", vpn, one("452"), noShell, "0"},
        {"first shell decides", "firstshell", vpn, one("453"), std::vector<std::string>{"/bin/zsh", "/usr/bin/false"},
         "0"},
        {"shell with a trailing blank", "shellblank", vpn, one("454"), one("/usr/bin/false "), "0"},
    };

    std::vector<AccountRecord> expected;
    for (const ListedRecord& row : table) {
        if (row.hidden)
            expected.push_back({row.name, *row.hidden});
    }
    const std::optional<std::vector<AccountRecord>> accounts = parseAccountListing(listingOf(table));
    ASSERT_TRUE(accounts.has_value());
    // One comparison also shows that the listing's order is kept.
    EXPECT_EQ(*accounts, expected);
}

TEST(AccountListing, TextThatIsNoArrayOfRecordsGivesNoAccountsAndOneLogLine)
{
    const std::vector<std::pair<const char*, std::string>> failures = {
        {"empty text", ""},
        {"an error message", "<dscl_cmd> DS Error: -14009 (eDSUnknownNodeName)"},
        {"a cut-off listing", listingOf({{"", "dave", vpn, one("430"), noShell, "0"}}).substr(0, 200)},
        {"a dictionary", plistToXml(PlistDictionary())},
    };
    for (const auto& [why, text] : failures) {
        SCOPED_TRACE(why);
        EXPECT_FALSE(parseAccountListing(text).has_value());
        RecordingRunner runner;
        runner.queueResult(text);
        RecordingLog log;
        EXPECT_TRUE(loadVpnAccounts(runner, log).empty());
        EXPECT_EQ(log.lines.size(), 1u);
    }
}

TEST(AccountListing, ListingWithoutVpnUsersIsNoFailure)
{
    RecordingRunner runner;
    runner.queueResult(listingOf({{"", "root", one("System Administrator"), one("0"), one("/bin/sh"), std::nullopt}}));
    RecordingLog log;
    EXPECT_TRUE(loadVpnAccounts(runner, log).empty());
    EXPECT_TRUE(log.lines.empty());
    ASSERT_EQ(runner.runs().size(), 1u);
    EXPECT_EQ(runner.runs()[0], (RecordingRunner::Arguments{
                                    "/bin/sh", "-c", "dscl -plist . readall /users RealName UniqueID UserShell"}));
}

TEST(AccountListing, ElementsThatAreNoRecordsAndNamelessRecordsAreSkipped)
{
    PlistDictionary nameless = recordPlist({"", "x", vpn, one("440"), noShell, "0"});
    nameless.remove("dsAttrTypeStandard:RecordName");
    const PlistDictionary erin = recordPlist({"", "erin", vpn, one("441"), noShell, "0"});
    const std::optional<std::vector<AccountRecord>> accounts =
        parseAccountListing(plistToXml(PlistArray{"stray text", nameless, PlistArray{}, erin}));
    ASSERT_TRUE(accounts.has_value());
    EXPECT_EQ(*accounts, (std::vector<AccountRecord>{{"erin", "0"}}));
}

TEST(AccountListing, TheFirstSelectedRecordNamesTheAccount)
{
    EXPECT_EQ(firstSelectedUserName({}), std::nullopt);
    EXPECT_EQ(firstSelectedUserName({{"bob", "1"}, {"amy", "0"}}), "bob");
}

} // namespace
} // namespace veltrona::test
