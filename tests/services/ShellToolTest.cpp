// The real shellTool (and the runner in front of it) on a temporary emulated Mac.
#include "platform/PlatformRoot.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "services/TaskWrapper.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <optional>
#include <unistd.h>

extern char** environ;

namespace veltrona::test {
namespace {

constexpr const char* kAdmin = kTestAdminName;
constexpr const char* kAdminFullName = kTestAdminFullName;

// The tool is built into the resource folder beside the test executables.
std::filesystem::path resourceDirectory()
{
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Resources";
}

// Runs shellTool with the given bytes on its input, in `workingDirectory`.
ProcessRun runShellTool(const std::string& input, std::vector<std::string> arguments,
                        const std::filesystem::path& workingDirectory)
{
    return runProgram((resourceDirectory() / "shellTool").string(), arguments, {}, workingDirectory, input);
}

std::string asText(const AuthorizationExternalForm& form)
{
    return {form.bytes.begin(), form.bytes.end()};
}

class ShellToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ::setenv(kPlatformRootVariable, root.c_str(), 1);
        std::filesystem::create_directories(work);
    }
    void TearDown() override { ::unsetenv(kPlatformRootVariable); }

    // A form of a live authorization of this process that holds the program's right.
    AuthorizationExternalForm grantedForm(AuthorizationServices& services, AuthorizationRef& reference)
    {
        AuthorizationExternalForm form;
        services.create({}, {}, kAuthorizationFlagDefaults, reference);
        const std::string user = kAdmin;
        const std::string password = kTestAdminPassword;
        const AuthorizationItemSet environment{{"username", {user.begin(), user.end()}, 0},
                                               {"password", {password.begin(), password.end()}, 0}};
        EXPECT_EQ(services.copyRights(reference, {{kAdminRightName, {}, 0}}, environment, 18), errAuthorizationSuccess);
        services.makeExternalForm(reference, form);
        return form;
    }

    ProcessRun run(const std::string& input, std::vector<std::string> arguments)
    {
        return runShellTool(input, std::move(arguments), work);
    }

    TempPlatformRoot platform;
    std::filesystem::path root = platform.root();
    std::filesystem::path work = platform.folder() / "work";
    AuthorizationServicesEmulated services{PlatformPaths(root)};
};

TEST_F(ShellToolTest, RunsNothingWithoutALiveAuthorizationHoldingTheRight)
{
    AuthorizationRef freedRef;
    const std::string freed = asText(grantedForm(services, freedRef));
    services.free(freedRef, kAuthorizationFlagDefaults);

    AuthorizationRef bareRef;
    AuthorizationExternalForm bare;
    services.create({}, {}, kAuthorizationFlagDefaults, bareRef);
    services.makeExternalForm(bareRef, bare);

    // A form whose process has ended: made in a child that then exits.
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        AuthorizationServicesEmulated own{PlatformPaths(root)};
        AuthorizationRef reference;
        const std::string form = asText(grantedForm(own, reference));
        const bool written = ::write(channel[1], form.data(), form.size()) == static_cast<ssize_t>(form.size());
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    std::string stale(32, '\0');
    ASSERT_EQ(::read(channel[0], stale.data(), stale.size()), 32);
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);

    AuthorizationRef liveRef;
    const std::string live = asText(grantedForm(services, liveRef));
    struct Case {
        const char* name;
        std::string input;
    };
    const std::vector<Case> cases = {
        {"zero form", std::string(32, '\0')},
        {"forged form", std::string(32, '\x5a')},
        {"live form with one byte changed", std::string(live).replace(0, 1, 1, static_cast<char>(live[0] ^ 1))},
        {"short form", live.substr(0, 31)},
        {"no input", ""},
        {"freed authorization", freed},
        {"authorization without the right", asText(bare)},
        {"authorization of an ended process", stale},
    };
    for (const Case& c : cases) {
        const ProcessRun result = run(c.input, {"/bin/sh", "-c", "touch ran; echo ran"});
        EXPECT_NE(result.exitStatus, 0) << c.name;
        EXPECT_EQ(result.out, "") << c.name;
        EXPECT_EQ(result.err.rfind("shellTool: ", 0), 0u) << c.name << ": " << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << c.name << ": " << result.err;
        EXPECT_FALSE(std::filesystem::exists(work / "ran")) << c.name;
    }
    const ProcessRun noCommand = run(live, {});
    EXPECT_NE(noCommand.exitStatus, 0);
    EXPECT_EQ(std::count(noCommand.err.begin(), noCommand.err.end(), '\n'), 1) << noCommand.err;

    const ProcessRun granted = run(live, {"/bin/sh", "-c", "touch ran; echo ran"});
    EXPECT_EQ(granted.exitStatus, 0) << granted.err;
    EXPECT_EQ(granted.out, "ran\n");
    EXPECT_TRUE(std::filesystem::exists(work / "ran")) << "the same command runs once authorized";
}

TEST_F(ShellToolTest, ArgumentsArriveUnchangedInTheUnchangedWorkingDirectory)
{
    AuthorizationRef reference;
    const std::string form = asText(grantedForm(services, reference));
    const std::vector<std::string> words = {"a b  c", "it's \"quoted\"", "$HOME `id` $(id) ; rm -rf x",
                                            "",       "line\nbreak",     "Zoë"};
    std::vector<std::string> arguments = {"/bin/sh", "-c", "pwd -P; for w; do printf '<%s>\\n' \"$w\"; done", ""};
    arguments.insert(arguments.end(), words.begin(), words.end());
    const ProcessRun result = run(form, arguments);
    std::string expected = std::filesystem::canonical(work).string() + "\n";
    for (const std::string& word : words)
        expected += "<" + word + ">\n";
    EXPECT_EQ(result.out, expected);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.exitStatus, 0);

    // A descriptor the caller left open does not reach the command.
    const int leaked = ::open("/dev/null", O_RDONLY);
    EXPECT_EQ(run(form, {"/bin/sh", "-c", "ls /proc/$$/fd"}).out, "0\n1\n2\n");
    ::close(leaked);
}

TEST_F(ShellToolTest, PlatformProgramsComeFromTheRoot)
{
    std::filesystem::create_directories(root / "usr/sbin");
    const auto tool = root / "usr/sbin/veltrona-hello";
    std::ofstream(tool) << "#!/bin/sh\necho \"hello $VELTRONA_PLATFORM_ROOT\"\n";
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    AuthorizationRef reference;
    const std::string form = asText(grantedForm(services, reference));
    const std::string expected = "hello " + root.string() + "\n";

    EXPECT_EQ(run(form, {"/usr/sbin/veltrona-hello"}).out, expected) << "a platform path that the root holds";
    EXPECT_EQ(run(form, {"/bin/sh", "-c", "veltrona-hello"}).out, expected) << "found through PATH";
    const ProcessRun path = run(form, {"/bin/sh", "-c", "printf %s \"$PATH\""});
    EXPECT_EQ(path.out.rfind((root / "bin").string() + ":" + (root / "usr/bin").string() + ":", 0), 0u) << path.out;
    const ProcessRun missing = run(form, {"/usr/sbin/not-there"});
    EXPECT_EQ(missing.exitStatus, 127);
    EXPECT_EQ(std::count(missing.err.begin(), missing.err.end(), '\n'), 1) << missing.err;
}

TEST_F(ShellToolTest, RunnerAuthenticatesAndRunsThroughTheTool)
{
    RecordingLog log;
    TaskWrapper runner(services, resourceDirectory().string(), log);
    const std::string marker = (work / "ran").string();
    runner.setArgs({"/bin/sh", "-c", "touch \"$1\"; printf '%s\\n' \"$2\"", "", marker, "it's $HOME \"x\""});
    EXPECT_EQ(runner.startProcessGetResult(), "") << "not authenticated yet";
    EXPECT_FALSE(std::filesystem::exists(marker));

    runner.setAdminPassword("wrong", kAdmin);
    EXPECT_FALSE(runner.checkIfSudoer());
    EXPECT_EQ(runner.startProcessGetResult(), "");
    EXPECT_FALSE(std::filesystem::exists(marker));

    runner.setAdminPassword(kTestAdminPassword, kAdminFullName);
    ASSERT_TRUE(runner.checkIfSudoer()) << "the full name is accepted";
    EXPECT_EQ(runner.startProcessGetResult(), "it's $HOME \"x\"");
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(services.rightGet(kAdminRightName, nullptr), errAuthorizationSuccess);

    // A runner that is gone takes its authorization along; the first runner's stays usable.
    const std::string form = asText(runner.externalForm());
    std::optional<TaskWrapper> second;
    second.emplace(services, resourceDirectory().string(), log);
    second->setAdminPassword(kTestAdminPassword, kAdmin);
    ASSERT_TRUE(second->checkIfSudoer());
    const std::string secondForm = asText(second->externalForm());
    EXPECT_EQ(run(secondForm, {"/bin/sh", "-c", "echo ok"}).out, "ok\n");
    second.reset();
    EXPECT_NE(run(secondForm, {"/bin/sh", "-c", "echo ok"}).exitStatus, 0) << "freed with its runner";
    EXPECT_EQ(run(form, {"/bin/sh", "-c", "echo ok"}).out, "ok\n");
    EXPECT_TRUE(log.lines.empty());
}

TEST_F(ShellToolTest, AnExistingRightDefinitionIsKept)
{
    PlistDictionary custom;
    custom.set("class", "user");
    custom.set("group", "admin");
    custom.set("comment", "defined by hand");
    AuthorizationRef reference;
    services.create({}, {}, kAuthorizationFlagDefaults, reference);
    ASSERT_EQ(services.rightSet(reference, kAdminRightName, custom), errAuthorizationSuccess);

    RecordingLog log;
    TaskWrapper runner(services, resourceDirectory().string(), log);
    runner.setAdminPassword(kTestAdminPassword, kAdmin);
    EXPECT_TRUE(runner.checkIfSudoer());
    PlistDictionary stored;
    ASSERT_EQ(services.rightGet(kAdminRightName, &stored), errAuthorizationSuccess);
    ASSERT_NE(stored.find("comment"), nullptr);
    EXPECT_EQ(*stored.find("comment")->string(), "defined by hand");
}

} // namespace
} // namespace veltrona::test
