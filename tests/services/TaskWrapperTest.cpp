// The runner against a fake shellTool (a shell script in a test folder) and a fake
// Authorization Services that records what it is asked.
#include "services/TaskWrapper.h"
#include "tests/support/FileText.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <fstream>
#include <map>
#include <sys/wait.h>
#include <thread>

namespace veltrona::test {
namespace {

// Authorization Services with a fixed password; remembers the rights database and every call.
class FakeAuthorization : public AuthorizationServices {
public:
    OSStatus create(const AuthorizationItemSet&, const AuthorizationItemSet&, AuthorizationFlags,
                    AuthorizationRef& authorization) override
    {
        authorization.id = nextId++;
        live.insert({authorization.id, false});
        return errAuthorizationSuccess;
    }
    OSStatus rightGet(std::string_view rightName, PlistDictionary* definition) override
    {
        const auto found = database.find(std::string(rightName));
        if (found == database.end())
            return errAuthorizationDenied;
        if (definition)
            *definition = found->second;
        return errAuthorizationSuccess;
    }
    OSStatus rightSet(AuthorizationRef, std::string_view rightName, const PlistDictionary& definition) override
    {
        ++rightSets;
        database[std::string(rightName)] = definition;
        return errAuthorizationSuccess;
    }
    OSStatus copyRights(AuthorizationRef authorization, const AuthorizationItemSet& rights,
                        const AuthorizationItemSet& environment, AuthorizationFlags flags) override
    {
        copyFlags.push_back(flags);
        lastRights = rights;
        lastEnvironment = environment;
        if (environment.size() != 2
            || std::string(environment[1].value.begin(), environment[1].value.end()) != password)
            return errAuthorizationDenied;
        live[authorization.id] = true;
        return errAuthorizationSuccess;
    }
    OSStatus makeExternalForm(AuthorizationRef authorization, AuthorizationExternalForm& form) override
    {
        if (failExternalForm)
            return errAuthorizationInternal;
        form.bytes.fill(static_cast<std::uint8_t>(authorization.id));
        return errAuthorizationSuccess;
    }
    OSStatus free(AuthorizationRef authorization, AuthorizationFlags) override
    {
        freed.push_back(authorization.id);
        return live.erase(authorization.id) ? errAuthorizationSuccess : errAuthorizationInvalidRef;
    }
    OSStatus checkExternalForm(const AuthorizationExternalForm&, std::string_view) override
    {
        return errAuthorizationDenied;
    }

    std::string password = "secret";
    bool failExternalForm = false;
    std::map<std::string, PlistDictionary> database;
    std::map<std::uint64_t, bool> live;
    std::vector<std::uint64_t> freed;
    std::vector<AuthorizationFlags> copyFlags;
    AuthorizationItemSet lastRights;
    AuthorizationItemSet lastEnvironment;
    int rightSets = 0;
    std::uint64_t nextId = 1;
};

std::string text(const std::vector<std::uint8_t>& bytes)
{
    return {bytes.begin(), bytes.end()};
}

class TaskWrapperTest : public ::testing::Test {
protected:
    // A fake shellTool: the body of a /bin/sh script, run in the resource folder.
    void writeTool(const std::string& body, std::filesystem::perms mode = std::filesystem::perms::owner_all)
    {
        const auto path = resources / "shellTool";
        std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
        std::filesystem::permissions(path, mode);
    }
    void writeFile(const std::string& name, const std::string& bytes)
    {
        std::ofstream(resources / name, std::ios::binary) << bytes;
    }

    TempDir resources;
    FakeAuthorization authorization;
    RecordingLog log;
    TaskWrapper runner{authorization, resources.path().string(), log};
};

TEST_F(TaskWrapperTest, ResultIsTheOutputLessItsLastCharacter)
{
    struct Case {
        const char* name;
        std::string output;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"line", "YES\n", "YES"},
        {"no final newline", "YES", "YE"},
        {"single newline", "\n", ""},
        {"nothing", "", ""},
        {"two lines", "a\nb\n", "a\nb"},
        {"non-ASCII full name", "Zoë Ørsted\n", "Zoë Ørsted"},
        {"multi-byte last character", "ab\xe2\x82\xac", "ab"},
        {"four-byte last character", "x\xf0\x9f\x98\x80", "x"},
        {"zero byte kept", std::string("a\0b\n", 4), std::string("a\0b", 3)},
        {"invalid byte", "caf\xe9\n", ""},
        {"cut sequence", "ab\xe2\x82", ""},
        {"overlong slash", "\xc0\xaf\n", ""},
        {"surrogate", "\xed\xa0\x80\n", ""},
    };
    writeTool("exec cat output.bin");
    for (const Case& c : cases) {
        writeFile("output.bin", c.output);
        EXPECT_EQ(runner.startProcessGetResult(), c.expected) << c.name;
        EXPECT_EQ(runnerResultFromOutput(c.output), c.expected) << c.name;
    }
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(TaskWrapperTest, ArgumentsArriveUnchangedAndStayHeldAcrossRuns)
{
    writeTool("for a; do printf '[%s]' \"$a\"; done; echo");
    EXPECT_EQ(runner.startProcessGetResult(), "") << "no arguments held yet";
    runner.setArgs({"/bin/sh", "-c", "echo \"$1\" '$2' `x`", "", "a b", "", "\xc3\xa9"});
    const std::string expected = "[/bin/sh][-c][echo \"$1\" '$2' `x`][][a b][][\xc3\xa9]";
    EXPECT_EQ(runner.startProcessGetResult(), expected);
    EXPECT_EQ(runner.startProcessGetResult(), expected) << "a second run runs the same vector";
}

TEST_F(TaskWrapperTest, ToolRunsInTheResourceFolderWithTheFormOnItsInput)
{
    writeTool("pwd -P; od -An -v -tx1 | tr -d ' \\n'; echo");
    const std::string zeros(64, '0');
    EXPECT_EQ(runner.startProcessGetResult(), std::filesystem::canonical(resources.path()).string() + "\n" + zeros)
        << "unauthenticated: exactly 32 zero bytes, then end of input";

    runner.setAdminPassword("secret", "admin");
    ASSERT_TRUE(runner.checkIfSudoer());
    std::string hex;
    for (std::uint8_t byte : runner.externalForm().bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", byte);
        hex += two;
    }
    const std::string result = runner.startProcessGetResult();
    EXPECT_EQ(result.substr(result.find('\n') + 1), hex);
    EXPECT_NE(hex, zeros);
}

TEST_F(TaskWrapperTest, LargeOutputIsReadWhileTheToolRuns)
{
    writeTool("exec cat output.bin");
    std::string big(1 << 20, 'x');
    for (std::size_t i = 0; i < big.size(); i += 100)
        big[i] = '\n';
    writeFile("output.bin", big + "\n");
    EXPECT_EQ(runner.startProcessGetResult(), big);
}

TEST_F(TaskWrapperTest, ReentrantCallFromTheIdleHookGetsNothingAndStartsNothing)
{
    writeTool("echo run >> runs.log; sleep 0.2; echo outer");
    int hookCalls = 0;
    std::vector<std::string> innerResults;
    runner.setIdleHook([&] {
        ++hookCalls;
        EXPECT_TRUE(runner.isRunning());
        if (innerResults.size() < 3)
            innerResults.push_back(runner.startProcessGetResult());
    });
    EXPECT_EQ(runner.startProcessGetResult(), "outer");
    EXPECT_FALSE(runner.isRunning());
    EXPECT_GE(hookCalls, 3);
    EXPECT_EQ(innerResults, std::vector<std::string>(3, ""));
    EXPECT_EQ(readText(resources / "runs.log"), "run\n") << "only the outer call started the tool";
}

TEST_F(TaskWrapperTest, ToolThatCannotStartGivesNothingAndOneLogLine)
{
    struct Case {
        const char* name;
        std::function<void()> prepare;
    };
    const std::vector<Case> cases = {
        {"missing", [] {}},
        {"not executable", [&] { writeTool("echo ran", std::filesystem::perms::owner_read); }},
        {"a folder", [&] { std::filesystem::create_directory(resources / "shellTool"); }},
    };
    runner.setArgs({"/bin/sh", "-c", "echo hello"});
    for (const Case& c : cases) {
        std::filesystem::remove_all(resources / "shellTool");
        c.prepare();
        log.lines.clear();
        EXPECT_EQ(runner.startProcessGetResult(), "") << c.name;
        ASSERT_EQ(log.lines.size(), 1u) << c.name;
        EXPECT_NE(log.lines[0].find("shellTool"), std::string::npos) << log.lines[0];
        EXPECT_FALSE(runner.isRunning());
    }
    std::filesystem::remove_all(resources / "shellTool");
    writeTool("echo ran");
    EXPECT_EQ(runner.startProcessGetResult(), "ran") << "the runner recovers once the tool is there";
}

TEST_F(TaskWrapperTest, BackgroundJobHoldingTheOutputDoesNotHoldTheRun)
{
    // The job keeps the output pipe open for 20 s; its error output must not hold the test's.
    writeTool("sleep 20 2>/dev/null & echo $! > job.pid; echo done");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.startProcessGetResult(), "done");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    pid_t job = 0;
    std::ifstream(resources / "job.pid") >> job;
    if (job > 0)
        ::kill(job, SIGTERM);
}

TEST_F(TaskWrapperTest, RunsLeaveNoChildBehind)
{
    writeTool("echo one; exit 3");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(runner.startProcessGetResult(), "one");
    int status = 0;
    errno = 0;
    EXPECT_EQ(::waitpid(-1, &status, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
}

// Whether a process is gone (or a zombie waiting for init), asked for at most two seconds.
bool endsSoon(pid_t pid)
{
    for (int i = 0; i < 100; ++i) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            return true;
        const std::size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z')
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// Issue 17: a command that never ends held the program for good.
TEST_F(TaskWrapperTest, TimeLimitEndsTheToolAndEverythingItStarted)
{
    writeTool("sleep 30 & echo $! > job.pid; echo started; sleep 30");
    runner.setArgs({"anything"});
    runner.setTimeLimit(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.startProcessGetResult(), "") << "what a command printed before its end is no result";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    pid_t job = 0;
    std::ifstream(resources / "job.pid") >> job;
    ASSERT_GT(job, 0);
    EXPECT_TRUE(endsSoon(job)) << "the tool's background job is ended with it";
    if (!endsSoon(job))
        ::kill(job, SIGKILL);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "anything did not end within 300 ms and was ended");

    // A tool that closed its output is held to the limit all the same.
    writeTool("exec >/dev/null; sleep 30");
    runner.setTimeLimit(std::chrono::milliseconds(300));
    const auto closed = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.startProcessGetResult(), "");
    EXPECT_LT(std::chrono::steady_clock::now() - closed, std::chrono::seconds(20));

    // setArgs brings back the default: a quick command is not cut short.
    writeTool("sleep 0.5; echo slow");
    runner.setArgs({"anything"});
    EXPECT_EQ(runner.startProcessGetResult(), "slow");
}

TEST_F(TaskWrapperTest, EndRunningToolEndsTheRunFromOutside)
{
    writeTool("sleep 30");
    int idle = 0;
    runner.setIdleHook([&idle] {
        if (++idle == 3)
            endRunningTool(); // what veltronactl's SIGTERM handler does
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(runner.startProcessGetResult(), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    endRunningTool(); // with nothing running, nothing happens
}

// Issue 17: the administrator's password reached every command run as root.
TEST_F(TaskWrapperTest, ThePasswordVariableStaysOutOfTheToolsEnvironment)
{
    ::setenv("VELTRONA_ADMIN_PASSWORD", "hunter2", 1);
    ::setenv("VELTRONA_TEST_KEPT", "kept", 1);
    writeTool("env");
    const std::string environment = runner.startProcessGetResult();
    ::unsetenv("VELTRONA_ADMIN_PASSWORD");
    ::unsetenv("VELTRONA_TEST_KEPT");
    EXPECT_EQ(environment.find("hunter2"), std::string::npos);
    EXPECT_NE(environment.find("VELTRONA_TEST_KEPT=kept"), std::string::npos) << "the rest is passed on";
}

TEST_F(TaskWrapperTest, AuthenticationDefinesTheRightOnceAndNeverPrompts)
{
    runner.setAdminPassword("secret", "admin");
    ASSERT_TRUE(runner.checkIfSudoer());
    ASSERT_EQ(authorization.database.count(kAdminRightName), 1u);
    const PlistDictionary& rule = authorization.database[kAdminRightName];
    const std::vector<std::pair<std::string, std::string>> expectedRule = {
        {"allow-root", "true"},
        {"class", "user"},
        {"comment", "Used by Quillfen applications to run a tool as admin over the duration of the application."},
        {"group", "admin"},
        {"shared", "false"},
    };
    std::vector<std::pair<std::string, std::string>> actualRule;
    for (const auto& [key, value] : rule)
        actualRule.emplace_back(key, value.string() ? *value.string() : "(not text)");
    EXPECT_EQ(actualRule, expectedRule);
    ASSERT_EQ(authorization.lastRights.size(), 1u);
    EXPECT_EQ(authorization.lastRights[0].name, kAdminRightName);
    EXPECT_TRUE(authorization.lastRights[0].value.empty());
    ASSERT_EQ(authorization.lastEnvironment.size(), 2u);
    EXPECT_EQ(authorization.lastEnvironment[0].name, "username");
    EXPECT_EQ(text(authorization.lastEnvironment[0].value), "admin");
    EXPECT_EQ(authorization.lastEnvironment[1].name, "password");

    // An existing definition, even one changed by hand, is left alone.
    PlistDictionary tightened;
    tightened.set("group", "wheel");
    authorization.database[kAdminRightName] = tightened;
    runner.setAdminPassword("wrong", "admin");
    EXPECT_FALSE(runner.checkIfSudoer());
    EXPECT_EQ(authorization.rightSets, 1);
    EXPECT_EQ(authorization.database[kAdminRightName], tightened);
    for (AuthorizationFlags flags : authorization.copyFlags) {
        EXPECT_EQ(flags, 18u);
        EXPECT_EQ(flags & kAuthorizationFlagInteractionAllowed, 0u);
    }
}

TEST_F(TaskWrapperTest, FailedAuthenticationKeepsTheEarlierFormAndItsAuthorization)
{
    runner.setAdminPassword("wrong", "admin");
    EXPECT_FALSE(runner.checkIfSudoer());
    EXPECT_EQ(runner.externalForm(), AuthorizationExternalForm{}) << "still all zero";

    runner.setAdminPassword("secret", "admin");
    ASSERT_TRUE(runner.checkIfSudoer());
    const AuthorizationExternalForm first = runner.externalForm();
    const std::uint64_t firstId = first.bytes[0];

    runner.setAdminPassword("wrong", "admin");
    EXPECT_FALSE(runner.checkIfSudoer());
    EXPECT_EQ(runner.externalForm(), first);
    EXPECT_TRUE(authorization.live.count(firstId)) << "the form in use must stay valid";

    authorization.failExternalForm = true;
    runner.setAdminPassword("secret", "admin");
    log.lines.clear();
    EXPECT_FALSE(runner.checkIfSudoer()) << "a grant that cannot reach the tool is no success";
    EXPECT_EQ(runner.externalForm(), first);
    EXPECT_EQ(log.lines.size(), 1u);

    authorization.failExternalForm = false;
    ASSERT_TRUE(runner.checkIfSudoer());
    EXPECT_NE(runner.externalForm(), first);
    EXPECT_FALSE(authorization.live.count(firstId)) << "the replaced authorization is given up";
}

TEST(TaskWrapperLifetime, DestroyingTheRunnerFreesItsAuthorization)
{
    FakeAuthorization authorization;
    RecordingLog log;
    {
        TaskWrapper runner(authorization, "/nonexistent", log);
        runner.setAdminPassword("secret", "admin");
        ASSERT_TRUE(runner.checkIfSudoer());
        EXPECT_EQ(authorization.live.size(), 1u);
    }
    EXPECT_TRUE(authorization.live.empty());
}

} // namespace
} // namespace veltrona::test
