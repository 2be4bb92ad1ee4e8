// The chown stand-in knows the emulated Mac's users and groups, so the move scripts' lines
// "sudo chown root:wheel FILE" run as quietly as on a Mac.

#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace veltrona::test {
namespace {

class ChownToolTest : public ::testing::Test {
protected:
    ProcessRun chown(const std::vector<std::string>& arguments)
    {
        return runProgram((builtMacToolsFolder() / "chown").string(), arguments, root.environment(), root.folder());
    }

    TempPlatformRoot root;
    std::string file = (root.root() / "installed.plist").string();
};

TEST_F(ChownToolTest, AnswersAsTheMacDoes)
{
    writeText(file, "x");
    const std::string missing = (root.root() / "missing").string();
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string err;
    } cases[] = {
        {{"root:wheel", file}, 0, ""},
        {{"root", file}, 0, ""},
        {{":wheel", file}, 0, ""},
        {{"-R", "admin:admin", file}, 0, ""},
        {{"0:0", file}, 0, ""},
        {{"nobody-here:wheel", file}, 1, "chown: nobody-here: illegal user name\n"},
        {{"root:no-such-group", file}, 1, "chown: no-such-group: illegal group name\n"},
        {{"root:wheel", missing, file}, 1, "chown: " + missing + ": No such file or directory\n"},
        {{"-f", "root:wheel", missing}, 1, ""},
        {{"root:wheel"},
         1,
         "usage: chown [-fhv] [-R [-H | -L | -P]] owner[:group] file ...\n"
         "       chown [-fhv] [-R [-H | -L | -P]] :group file ...\n"},
    };
    for (const auto& c : cases) {
        const ProcessRun run = chown(c.arguments);
        EXPECT_EQ(run.exitStatus, c.status) << testing::PrintToString(c.arguments);
        EXPECT_EQ(run.err, c.err) << testing::PrintToString(c.arguments);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(ChownToolTest, TheMoveScriptsLineRunsCleanlyThroughSudoFromTheRootsTools)
{
    TempPlatformRoot withTools(TempPlatformRoot::Tools::Copy);
    const std::string installed =
        (withTools.root() / "usr/local/quillfen/vpn/com.apple.RemoteAccessServers.plist").string();
    writeText(installed, "secret");
    ::chmod(installed.c_str(), 0600);
    std::map<std::string, std::string> environment = withTools.environment();
    // As shellTool puts the root's folders first.
    environment["PATH"] =
        (withTools.root() / "usr/bin").string() + ":" + (withTools.root() / "usr/sbin").string() + ":/usr/bin:/bin";
    const ProcessRun run =
        runProgram("/bin/sh", {"-c", "sudo chown root:wheel \"$1\"", "", installed}, environment, withTools.folder());
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readText(installed), "secret");
    struct stat status { };
    ASSERT_EQ(::stat(installed.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
}

} // namespace
} // namespace veltrona::test
