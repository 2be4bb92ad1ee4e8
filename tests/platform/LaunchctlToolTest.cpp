// The stand-in launchctl run as the program runs it: a child process on a temporary platform root.

#include "foundation/PlistIO.h"
#include "platform/emulated/LaunchdState.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kJob = "/Library/LaunchDaemons/com.brantholm.vpn.plist";
constexpr const char* kProbe = "(test `launchctl list | grep com.brantholm.vpn | awk '{print $3}'`) && echo YES";

std::string jobPlist(const std::string& label)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>Label</key><string>"
           + label
           + "</string>"
             "<key>ProgramArguments</key><array><string>/usr/sbin/vpnd</string><string>-x</string>"
             "<string>-i</string><string>com.apple.ppp.L2TP</string></array></dict></plist>\n";
}

class LaunchctlToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directories(work());
        writeText(root() / "Library/LaunchDaemons/com.brantholm.vpn.plist", jobPlist("com.brantholm.vpn"));
    }

    fs::path root() const { return platform_.root(); }
    fs::path work() const { return platform_.folder() / "work"; }

    // The copy the root holds, as scripts find it through PATH.
    ProcessRun launchctl(const std::vector<std::string>& arguments) const
    {
        return runProgram((root() / "bin/launchctl").string(), arguments, platform_.environment(), work());
    }

    // Nothing when the job has no override.
    std::optional<bool> disabledFlag(const std::string& label) const
    {
        std::optional<PlistValue> overrides = readPlistFile(root() / "var/db/com.apple.xpc.launchd/disabled.plist");
        const PlistValue* flag = overrides && overrides->dictionary() ? overrides->dictionary()->find(label) : nullptr;
        return flag && flag->boolean() ? std::optional<bool>(*flag->boolean()) : std::nullopt;
    }

    TempPlatformRoot platform_{TempPlatformRoot::Tools::Copy};
};

TEST_F(LaunchctlToolTest, LoadAndUnloadWalkThroughTheRealMessagesAndOverrides)
{
    const std::string header = "PID\tStatus\tLabel\n";
    const std::string listed = header + "-\t0\tcom.brantholm.vpn\n";
    const std::string job = kJob;
    writeText(root() / "Library/LaunchDaemons/broken.plist", "<plist><dict><key>Label</key>");
    writeText(root() / "Library/LaunchDaemons/nolabel.plist", "<plist version=\"1.0\"><dict/></plist>");
    writeText(root() / "Library/LaunchDaemons/sneaky.plist", jobPlist("../../etc"));

    struct Step {
        std::vector<std::string> arguments;
        std::string err;
        std::optional<bool> disabled; // after the step
        std::string list;             // `launchctl list` after the step
    };
    const std::vector<Step> steps = {
        {{"list"}, "", std::nullopt, header},
        {{"load", "-w", job}, "", false, listed},
        {{"load", "-w", job}, job + ": service already loaded\n", false, listed},
        {{"unload", "-w", job}, "", true, header},
        {{"unload", "-w", job}, job + ": Could not find specified service\n", true, header},
        {{"load", job}, job + ": Service is disabled\n", true, header},
        {{"load", "-w", "/Library/LaunchDaemons/missing.plist"},
         "/Library/LaunchDaemons/missing.plist: No such file or directory\n",
         true,
         header},
        {{"load", "-w", "/Library/LaunchDaemons/broken.plist"},
         "/Library/LaunchDaemons/broken.plist: Invalid property list\n",
         true,
         header},
        {{"load", "-w", "/Library/LaunchDaemons/nolabel.plist"},
         "/Library/LaunchDaemons/nolabel.plist: Invalid property list\n",
         true,
         header},
        {{"load", "-w", "/Library/LaunchDaemons/sneaky.plist"},
         "/Library/LaunchDaemons/sneaky.plist: Invalid property list\n",
         true,
         header},
        {{"load", "-w", "/Library/LaunchDaemons/../LaunchDaemons/com.brantholm.vpn.plist"},
         "/Library/LaunchDaemons/../LaunchDaemons/com.brantholm.vpn.plist: Operation not permitted\n",
         true,
         header},
        // A path already inside the root is taken as it is.
        {{"load", "-w", (root() / "Library/LaunchDaemons/com.brantholm.vpn.plist").string()}, "", false, listed},
        {{"unload", job}, "", false, header},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.arguments.back());
        const ProcessRun run = launchctl(step.arguments);
        EXPECT_EQ(run.exitStatus, 0);
        EXPECT_EQ(run.err, step.err);
        if (step.arguments[0] != "list") {
            EXPECT_EQ(run.out, "");
        }
        EXPECT_EQ(disabledFlag("com.brantholm.vpn"), step.disabled);
        EXPECT_EQ(launchctl({"list"}).out, step.list);
    }
}

TEST_F(LaunchctlToolTest, ListsEveryLoadedJobSortedByLabel)
{
    writeText(root() / "Library/LaunchDaemons/a.plist", jobPlist("org.example.alpha"));
    ASSERT_EQ(launchctl({"load", "-w", kJob, "/Library/LaunchDaemons/a.plist"}).err, "");
    EXPECT_EQ(launchctl({"list"}).out, "PID\tStatus\tLabel\n-\t0\tcom.brantholm.vpn\n-\t0\torg.example.alpha\n");
    const std::optional<std::vector<LaunchdJob>> jobs = LaunchdState(PlatformPaths(root())).loadedJobs();
    ASSERT_TRUE(jobs);
    EXPECT_EQ(jobs->front().path, kJob);
    EXPECT_EQ(jobs->front().programArguments,
              (std::vector<std::string>{"/usr/sbin/vpnd", "-x", "-i", "com.apple.ppp.L2TP"}));
}

TEST_F(LaunchctlToolTest, CorruptStateIsReportedAndLeftAsItWas)
{
    ASSERT_EQ(launchctl({"load", "-w", kJob}).err, "");
    const fs::path disabled = root() / "var/db/com.apple.xpc.launchd/disabled.plist";
    writeText(disabled, "garbage");
    const ProcessRun unload = launchctl({"unload", "-w", kJob});
    EXPECT_EQ(unload.exitStatus, 0);
    EXPECT_EQ(unload.err, "/var/db/com.apple.xpc.launchd/disabled.plist: Invalid property list\n");
    EXPECT_EQ(readText(disabled), "garbage");
    EXPECT_EQ(launchctl({"list"}).out, "PID\tStatus\tLabel\n-\t0\tcom.brantholm.vpn\n");

    const fs::path loaded = root() / "var/db/com.apple.xpc.launchd/loaded.plist";
    writeText(loaded, "<plist><array/>");
    const ProcessRun list = launchctl({"list"});
    EXPECT_NE(list.exitStatus, 0);
    EXPECT_EQ(list.out, "");
    EXPECT_EQ(list.err, "/var/db/com.apple.xpc.launchd/loaded.plist: Invalid property list\n");
    EXPECT_EQ(readText(loaded), "<plist><array/>");
}

// A value the state file holds that is not what its type says is not read as 0 and written back.
TEST_F(LaunchctlToolTest, AStateFileItCannotReadWholeIsLeftAlone)
{
    writeText(root() / "Library/LaunchDaemons/b.plist", jobPlist("org.example.beta"));
    const fs::path loaded = root() / "var/db/com.apple.xpc.launchd/loaded.plist";
    const std::string malformed = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
                                  "<key>org.example.alpha</key><dict><key>PID</key><integer>12x</integer></dict>"
                                  "</dict></plist>\n";
    writeText(loaded, malformed);
    const ProcessRun load = launchctl({"load", "-w", "/Library/LaunchDaemons/b.plist"});
    EXPECT_EQ(load.err, "/var/db/com.apple.xpc.launchd/loaded.plist: Invalid property list\n");
    EXPECT_EQ(readText(loaded), malformed);
}

TEST_F(LaunchctlToolTest, UsageErrorsExitNonZero)
{
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{},
                                                                                           {"load"},
                                                                                           {"load", "-w"},
                                                                                           {"load", "-w", "--"},
                                                                                           {"load", "-x", kJob},
                                                                                           {"load", "-w:", kJob},
                                                                                           {"unload", "-F", kJob},
                                                                                           {"unload", "-wF", kJob},
                                                                                           {"start"},
                                                                                           {"list", "extra"}}) {
        const ProcessRun run = launchctl(arguments);
        EXPECT_EQ(run.exitStatus, 64);
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_EQ(launchctl({"list"}).out, "PID\tStatus\tLabel\n");
}

TEST_F(LaunchctlToolTest, OptionsMayBeClusteredAndEndWithDoubleDash)
{
    ASSERT_EQ(launchctl({"load", "-Fw", "--", kJob}).err, "");
    EXPECT_EQ(disabledFlag("com.brantholm.vpn"), false);
    EXPECT_EQ(launchctl({"list"}).out, "PID\tStatus\tLabel\n-\t0\tcom.brantholm.vpn\n");
    // After "--" a word starting with a dash is a path, not an option.
    const ProcessRun run = launchctl({"unload", "--", "-w"});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.err, "-w: No such file or directory\n");
    EXPECT_EQ(disabledFlag("com.brantholm.vpn"), false);
}

TEST_F(LaunchctlToolTest, JobProbePrintsYesOnlyWhileTheJobIsLoaded)
{
    const char* path = std::getenv("PATH");
    const std::map<std::string, std::string> environment = {
        {"VELTRONA_PLATFORM_ROOT", root().string()},
        {"PATH", (root() / "bin").string() + ":" + (path ? path : "/usr/bin:/bin")}};
    auto probe = [&] { return runProgram("/bin/sh", {"-c", kProbe}, environment, work()).out; };
    EXPECT_EQ(probe(), "");
    ASSERT_EQ(launchctl({"load", "-w", kJob}).exitStatus, 0);
    EXPECT_EQ(probe(), "YES\n");
    ASSERT_EQ(launchctl({"unload", "-w", kJob}).exitStatus, 0);
    EXPECT_EQ(probe(), "");
}

TEST_F(LaunchctlToolTest, DeInstallationScriptUnloadsTheJobOnce)
{
    // The script as the program sends it, with the root in front of every platform path.
    const std::string r = root().string();
    const std::string script =
        "for i in vpn\n\ndo \n\n(test `" + r + "/bin/launchctl list | grep com.brantholm.$i | awk '{print $3}'`) && "
        + r + "/bin/launchctl unload -w " + r + "/Library/LaunchDaemons/com.brantholm.$i.plist\n\nrm " + r
        + "/Library/LaunchDaemons/com.brantholm.$i.plist\n\ndone\n\nrm -r " + r + "/usr/local/quillfen/vpn";
    ASSERT_EQ(launchctl({"load", "-w", kJob}).err, "");
    const ProcessRun first = runProgram("/bin/sh", {"-c", script}, platform_.environment(), work());
    EXPECT_EQ(first.out, "");
    EXPECT_EQ(launchctl({"list"}).out, "PID\tStatus\tLabel\n");
    EXPECT_EQ(disabledFlag("com.brantholm.vpn"), true);
    EXPECT_FALSE(fs::exists(root() / "Library/LaunchDaemons/com.brantholm.vpn.plist"));
    // A second run finds nothing to unload, so launchctl is not asked to: only rm complains.
    const ProcessRun second = runProgram("/bin/sh", {"-c", script}, platform_.environment(), work());
    std::istringstream complaints(second.err);
    int lines = 0;
    for (std::string line; std::getline(complaints, line); ++lines)
        EXPECT_EQ(line.rfind("rm: ", 0), 0u) << line;
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(disabledFlag("com.brantholm.vpn"), true);
}

} // namespace
} // namespace veltrona::test
