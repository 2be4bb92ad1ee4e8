// A save killed at any moment leaves every installed server file whole: the old one or the new
// one, never a torn or empty file. The temporary copies are written in a run folder inside the
// platform root, so the move script's mv is a rename.

#include "foundation/PlistIO.h"
#include "tests/support/ShellRunner.h"
#include "tests/vpnserver/ServerFixture.h"
#include "vpnserver/RunFolder.h"
#include "vpnserver/ServerFileReader.h"
#include "vpnserver/ServerFileWriter.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace veltrona::test {
namespace {

// 50 rounds here; scripts/kill-saves.sh asks for more through the environment.
int rounds()
{
    const char* asked = std::getenv("VELTRONA_KILL_ROUNDS");
    const int wanted = asked ? std::atoi(asked) : 0;
    return wanted > 0 ? wanted : 50;
}

ServerSettings settingsNumbered(int n)
{
    return {n % 2 ? "L2TP" : "PPTP",
            "host" + std::to_string(n) + ".example.org",
            "secret" + std::to_string(n),
            "10.0.0.1",
            "lan",
            "10.0.0.100",
            "10.0.0.150"};
}

TEST(InterruptedSave, EveryInstalledFileParsesAfterAKillAtAnyMoment)
{
    ServerFixture fixture;
    RunFolder run(fixture.locations().platform());
    ASSERT_FALSE(run.path().empty());
    const ServerFileLocations locations(fixture.resources(), fixture.locations().platform(), run.path());
    ShellRunner shell(fixture.toolFolder());
    vpnConfig(settingsNumbered(0), locations, shell);
    ASSERT_EQ(loadVPNSettings(locations).settings, settingsNumbered(0));

    std::mt19937 random(20261208);
    for (int round = 1; round <= rounds(); ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ShellRunner saver(fixture.toolFolder());
            for (int n = round * 1000;; ++n)
                vpnConfig(settingsNumbered(n), locations, saver);
        }
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 40000)(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        // The move script's shell and mv may outlive their parent briefly; let them finish.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        for (const std::string& file : {locations.installedServerFile(), locations.installedJobFile()})
            ASSERT_TRUE(readPlistDictionaryFile(file)) << "round " << round << ": " << file;
    }
}

} // namespace
} // namespace veltrona::test
