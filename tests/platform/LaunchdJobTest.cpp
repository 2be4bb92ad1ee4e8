// launchd running what it loads: a real program inside the platform root, started at load,
// listed with its PID, kept alive and ended on unload.

#include "platform/emulated/LaunchdJobProcess.h"
#include "platform/emulated/ProcessStartTime.h"
#include "tests/support/FileText.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <thread>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string job(const std::string& label, const std::vector<std::string>& arguments)
{
    std::string array;
    for (const std::string& argument : arguments)
        array += "<string>" + argument + "</string>";
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict><key>Label</key><string>" + label
           + "</string><key>OnDemand</key><false/><key>ProgramArguments</key><array>" + array
           + "</array><key>RunAtLoad</key><true/></dict></plist>\n";
}

class LaunchdJobTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Programs launchd finds inside the root, as the stand-in vpnd is found.
        fs::create_directories(root() / "usr/libexec");
        fs::copy_file("/bin/sleep", root() / "usr/libexec/sleeper");
        fs::copy_file("/bin/sh", root() / "usr/libexec/sh");
    }
    fs::path root() const { return platform_.root(); }
    ProcessRun launchctl(const std::vector<std::string>& arguments) const
    {
        return runProgram((root() / "bin/launchctl").string(), arguments, platform_.environment());
    }
    std::optional<pid_t> listedPid(const std::string& label) const
    {
        const std::string list = launchctl({"list"}).out;
        const std::size_t at = list.find("\t" + label + "\n");
        if (at == std::string::npos)
            return std::nullopt;
        const std::size_t lineStart = list.rfind('\n', list.rfind('\t', at - 1)) + 1;
        const std::string pid = list.substr(lineStart, list.find('\t', lineStart) - lineStart);
        return pid == "-" ? std::optional<pid_t>(0) : std::optional<pid_t>(std::stoi(pid));
    }

    TempPlatformRoot platform_{TempPlatformRoot::Tools::Copy};
};

TEST_F(LaunchdJobTest, LoadStartsTheProgramInTheRootAndUnloadEndsIt)
{
    writeText(root() / "Library/LaunchDaemons/sleeper.plist",
              job("org.example.sleeper", {"/usr/libexec/sleeper", "600"}));
    writeText(root() / "Library/LaunchDaemons/absent.plist", job("org.example.absent", {"/usr/libexec/absent"}));
    ASSERT_EQ(
        launchctl({"load", "-w", "/Library/LaunchDaemons/sleeper.plist", "/Library/LaunchDaemons/absent.plist"}).err,
        "");

    const std::optional<pid_t> pid = listedPid("org.example.sleeper");
    ASSERT_TRUE(pid && *pid > 0);
    EXPECT_EQ(fs::read_symlink("/proc/" + std::to_string(*pid) + "/exe"), root() / "usr/libexec/sleeper");
    // A program that is not in the root: loaded, with no process, as on a Mac.
    EXPECT_EQ(listedPid("org.example.absent"), 0);

    const ProcessRun unload = launchctl({"unload", "-w", "/Library/LaunchDaemons/sleeper.plist"});
    EXPECT_EQ(unload.err, "");
    // Back from unload only once the program has ended.
    EXPECT_FALSE(processStartTime(*pid));
    EXPECT_EQ(listedPid("org.example.sleeper"), std::nullopt);
    launchctl({"unload", "-w", "/Library/LaunchDaemons/absent.plist"});
}

TEST_F(LaunchdJobTest, AProgramThatEndsIsStartedAgainUntilTheJobStops)
{
    const fs::path starts = platform_.folder() / "starts";
    const LaunchdJobProcess process(platform_.paths(), "org.example.flaky", {200ms, 300ms});
    ASSERT_TRUE(process.start({"/usr/libexec/sh", "-c", "date +%s.%N >> '" + starts.string() + "'; exit 3"}, true));
    auto startTimes = [&starts] {
        std::vector<double> times;
        std::istringstream lines(fs::exists(starts) ? readText(starts) : "");
        for (double time; lines >> time;)
            times.push_back(time);
        return times;
    };
    for (int i = 0; i < 1000 && startTimes().size() < 3; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(process.state().lastExitStatus, 3); // as launchctl list shows it
    process.stop();
    const std::vector<double> times = startTimes();
    ASSERT_GE(times.size(), 3u);
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], 0.19) << "started again before the delay";
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(startTimes().size(), times.size()) << "started again after the stop";
}

TEST_F(LaunchdJobTest, AProgramDeafToSigtermIsKilledAfterTheGrace)
{
    const fs::path deaf = platform_.folder() / "deaf";
    const LaunchdJobProcess process(platform_.paths(), "org.example.deaf", {10s, 300ms});
    ASSERT_TRUE(process.start(
        {"/usr/libexec/sh", "-c", "trap '' TERM; : > '" + deaf.string() + "'; while :; do sleep 0.1; done"}, true));
    const std::optional<pid_t> pid = process.state().programPid;
    ASSERT_TRUE(pid);
    // Only once the trap is set is the program deaf.
    for (int i = 0; i < 500 && !fs::exists(deaf); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::exists(deaf));
    const auto before = std::chrono::steady_clock::now();
    process.stop();
    EXPECT_GE(std::chrono::steady_clock::now() - before, 300ms);
    EXPECT_FALSE(processStartTime(*pid));
    EXPECT_FALSE(process.state().programPid);
}

} // namespace
} // namespace veltrona::test
