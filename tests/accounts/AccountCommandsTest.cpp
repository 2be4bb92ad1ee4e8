// The account commands as the runner gets them, and the id the creation script will choose.

#include "accounts/AccountCommands.h"
#include "accounts/NextUserID.h"
#include "platform/ShellWord.h"
#include "tests/support/FileText.h"
#include "tests/support/ShellRunner.h"
#include "tests/support/TempDir.h"

#include <algorithm>
#include <filesystem>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using Arguments = std::vector<std::string>;

TEST(AccountCommands, TextsAreTheMacsForPlainValues)
{
    EXPECT_EQ(nameProbeCommand("alice"), (Arguments{"/bin/sh", "-c", "dscl . -list /Users | grep -i '^alice$'"}));
    EXPECT_EQ(aliasProbeCommand("alice"), (Arguments{"/bin/sh", "-c", "dscl . -read /Users/alice RecordName"}));
    EXPECT_EQ(resetPasswordCommand("alice", "new pw"),
              (Arguments{"/bin/sh", "-c", "dscl . -passwd /Users/alice 'new pw'"}));
    EXPECT_EQ(administratorProbeCommand("alice"),
              (Arguments{"/bin/sh", "-c", "dscl . read /groups/admin GroupMembership | grep '\\<alice\\>'"}));
    EXPECT_EQ(deletionCommand("alice"),
              (Arguments{"/bin/sh", "-c", "userName=$1\n\ndscl . -delete /Users/$userName\n", "", "alice"}));

    const Arguments creation = creationCommand("j\xC3\xBCrgen", "p w");
    ASSERT_EQ(creation.size(), 8u);
    EXPECT_EQ(Arguments(creation.begin() + 3, creation.end()),
              (Arguments{"", "VPNStuff", "VPN-User", "j\xC3\xBCrgen", "p w"}));
    const std::string& script = creation[2];
    EXPECT_EQ(std::count(script.begin(), script.end(), '\n'), 23);
    EXPECT_NE(script.back(), '\n');
    EXPECT_NE(script.find("\n\tmaxid=400\nfi\n"), std::string::npos);
    EXPECT_NE(script.find("maxid=$(dscl . -list /Users UniqueID | grep '[4][0123456789][0123456789]' | awk "
                          "'{print $2}' | sort -ug | tail -1)\n"),
              std::string::npos);
}

// A password holding quotes or "$(" is one unchanged word for the tool, never shell text.
TEST(AccountCommands, TypedPasswordReachesDsclAsOneWord)
{
    TempDir tools;
    writeText(tools / "dscl", "#!/bin/sh\nprintf '%s|' \"$@\"\n");
    std::filesystem::permissions(tools / "dscl", std::filesystem::perms(0755));
    ShellRunner shell(tools.path().string());
    for (const std::string password : {"it's", "\"q\"", "$(touch x)", " end ", "a  b", "'", "`id`", "plain"}) {
        shell.setArgs(resetPasswordCommand("bob", password));
        EXPECT_EQ(shell.startProcessGetResult(), ".|-passwd|/Users/bob|" + password) << password;
    }
    EXPECT_FALSE(std::filesystem::exists("x"));
}

// Issue 17: a deletion counts as done only on the directory's word: a listing without the name.
TEST(AccountCommands, TheDeletionCheckSaysGoneOnlyWhenTheListingLacksTheName)
{
    TempDir tools;
    ShellRunner shell(tools.path().string());
    const struct {
        const char* dscl;
        const char* name;
        const char* printed;
    } cases[] = {
        {"printf 'Alice\\nbob\\n'", "alice", ""},
        {"printf 'Alice\\nbob\\n'", "bob", ""},
        {"printf 'Alice\\nbobby\\n'", "bob", "GONE"},
        {"printf 'root\\n'", "carol", "GONE"},
        {"echo '<dscl_cmd> DS Error: -14120 (eDSPermissionError)' >&2; exit 40", "carol", ""},
    };
    for (const auto& c : cases) {
        writeText(tools / "dscl", std::string("#!/bin/sh\n") + c.dscl + "\n");
        std::filesystem::permissions(tools / "dscl", std::filesystem::perms(0755));
        shell.setArgs(deletionCheckCommand(c.name));
        EXPECT_EQ(shell.startProcessGetResult(), c.printed) << c.dscl << " " << c.name;
    }
}

TEST(NextUserID, WhatTheScriptWillChooseAndWhetherItMayBeUsed)
{
    const struct {
        const char* name;
        std::string listing;
        std::optional<long long> scriptID;
        std::optional<int> next;
    } cases[] = {
        {"a machine without VPN accounts", "daemon 1\nnobody -2\nroot 0\n_www 70", 401, 401},
        {"401 and 437", "alice 401\nbob   437\nroot  0", 438, 438},
        {"the last id taken", "x 499", 500, std::nullopt},
        {"a four-digit id holding 4dd", "alice 401\nsvc 1450", 1451, std::nullopt},
        {"digits in a name", "user412 90", 91, std::nullopt},
        {"the next id is another value of a record", "bob 437 438", 438, std::nullopt},
        {"empty listing", "", 401, 401},
        {"a matched line without a number", "n408", 401, 401},
        {"only text where the number should be", "n408 abc", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scriptUniqueID(c.listing), c.scriptID) << c.name;
        EXPECT_EQ(nextVPNUserID(c.listing), c.next) << c.name;
    }
}

// Issue 17: where the script's rule would miss, the lowest free id is given to the script instead.
TEST(NextUserID, TheLowestFreeIdWhereTheScriptsRuleMisses)
{
    const struct {
        const char* name;
        std::string listing;
        std::optional<ChosenUserID> chosen;
    } cases[] = {
        {"the script's own", "alice 401\nbob 437\nroot 0", ChosenUserID{438, false}},
        {"an administrator named jo450", "jo450 501\nroot 0", ChosenUserID{401, true}},
        {"a freed id in a full range", "a 401\nb 402\nz 499", ChosenUserID{403, true}},
        {"the script's id held as a second value", "bob 437 438", ChosenUserID{401, true}},
        {"a listing the script cannot count", "n408 abc", ChosenUserID{401, true}},
        {"a full range", "", std::nullopt},
    };
    std::string full;
    for (int id = 401; id <= 499; ++id)
        full += "u" + std::to_string(id) + " " + std::to_string(id) + "\n";
    for (const auto& c : cases) {
        const std::string listing = std::string(c.name) == "a full range" ? full : c.listing;
        EXPECT_EQ(chooseVPNUserID(listing), c.chosen) << c.name;
    }

    // The script given the id keeps every other line of the Mac's script.
    std::string expected = creationScript();
    const std::size_t from = expected.find("maxid=$(");
    expected.replace(from, expected.find("primaryGroupID=") - from, "uniqueID=$5\n");
    EXPECT_EQ(creationScriptWithUniqueID(), expected);
    EXPECT_EQ(creationCommand("bob", "pw", 450),
              (CommandArguments{"/bin/sh", "-c", expected, "", "VPNStuff", "VPN-User", "bob", "pw", "450"}));
}

// The rule is checked against the script's own pipeline, run by a real shell.
TEST(NextUserID, AgreesWithTheScriptsPipeline)
{
    ShellRunner shell("/nonexistent");
    for (const std::string listing : {"alice 401\nbob   437\nroot  0", "root 0", "svc 1450\nx 402", "a 420\na 420"}) {
        shell.setArgs({"/bin/sh", "-c",
                       "maxid=$(printf '%s\\n' \"$1\" | grep '[4][0123456789][0123456789]' | awk '{print $2}' | "
                       "sort -ug | tail -1)\nif ! ( test $maxid ) then\n\tmaxid=400\nfi\necho $((maxid+1))",
                       "", listing});
        EXPECT_EQ(shell.startProcessGetResult(), std::to_string(*scriptUniqueID(listing))) << listing;
    }
}

} // namespace
} // namespace veltrona::test
