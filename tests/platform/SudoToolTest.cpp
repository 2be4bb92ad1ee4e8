// The sudo stand-in runs its command unchanged and refuses what it does not know.

#include "platform/tools/sudoArguments.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempDir.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

ProcessRun sudo(const std::vector<std::string>& arguments)
{
    TempDir work;
    return runProgram((builtMacToolsFolder() / "sudo").string(), arguments, {{"PATH", "/usr/bin:/bin"}}, work.path());
}

TEST(SudoToolTest, OptionsItAcceptsAndRefuses)
{
    const struct {
        std::vector<std::string> arguments;
        int commandIndex;
        std::string error;
    } cases[] = {
        {{"echo", "hi"}, 0, ""},
        {{"-n", "-E", "chown", "root:wheel", "f"}, 2, ""},
        {{"-nH", "--", "-weird"}, 2, ""},
        {{"-u", "root", "ls"}, 2, ""},
        {{"-uroot", "ls"}, 1, ""},
        {{"-x", "ls"}, -1, "sudo: illegal option -- x\n"},
        {{"-nk", "ls"}, -1, "sudo: illegal option -- k\n"},
        {{"-u", "alice", "ls"}, -1, "sudo: unknown user: alice\n"},
        {{"-u"}, -1, "sudo: option requires an argument -- u\n"},
        {{}, -1, "sudo: no command given\n"},
        {{"-n", "--"}, -1, "sudo: no command given\n"},
    };
    for (const auto& c : cases) {
        SudoCommand command = parseSudoArguments(c.arguments);
        EXPECT_EQ(command.commandIndex, c.commandIndex) << testing::PrintToString(c.arguments);
        EXPECT_EQ(command.error, c.error) << testing::PrintToString(c.arguments);
    }
}

TEST(SudoToolTest, RunsTheCommandWithItsArgumentsUnchanged)
{
    ProcessRun run = sudo({"-n", "printf", "[%s]", "two words", "it's", "$HOME", "*", ""});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, "[two words][it's][$HOME][*][]");

    ProcessRun status = sudo({"sh", "-c", "exit 7"});
    EXPECT_EQ(status.exitStatus, 7) << "the command's own exit status comes back";
}

TEST(SudoToolTest, FailuresAreReportedWithStatusOne)
{
    ProcessRun unknownOption = sudo({"-x", "true"});
    EXPECT_EQ(unknownOption.exitStatus, 1);
    EXPECT_EQ(unknownOption.err.rfind("sudo: illegal option -- x\nusage: sudo", 0), 0u);
    ProcessRun missing = sudo({"no-such-command-here"});
    EXPECT_EQ(missing.exitStatus, 1);
    EXPECT_EQ(missing.err, "sudo: no-such-command-here: command not found\n");
}

} // namespace
} // namespace veltrona::test
