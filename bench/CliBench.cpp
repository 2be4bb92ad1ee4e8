// veltronactl as a user runs it, a whole process each time: `status` on an emulated Mac whose
// server runs, and `users --json` on one holding 10,000 VPN users. Authentication, shellTool and
// the stand-in tools are all inside the time.
#include "foundation/PlistIO.h"
#include "platform/PlatformRoot.h"
#include "platform/emulated/Directory.h"
#include "tests/support/TempPlatformRoot.h"

#include "bench/QuietRun.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace veltrona;
namespace fs = std::filesystem;

fs::path veltronactl()
{
    return fs::read_symlink("/proc/self/exe").parent_path() / "veltronactl";
}

// Runs veltronactl with its output thrown away; its exit status, or -1.
int runCli(const fs::path& root, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{veltronactl().string(), "--platform-root", root.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    return bench::runQuietly(std::move(words));
}

void timeRuns(benchmark::State& state, const fs::path& root, const std::vector<std::string>& arguments,
              int expectedStatus = 0)
{
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const int status = runCli(root, arguments);
        const auto end = std::chrono::steady_clock::now();
        if (status != expectedStatus) {
            state.SkipWithError("veltronactl did not exit as expected");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}

struct RunningServer {
    RunningServer()
    {
        ::setenv("VELTRONA_ADMIN_PASSWORD", test::kTestAdminPassword, 1);
        ready = runCli(mac.root(), {"start"}) == 0;
    }
    test::TempPlatformRoot mac{test::TempPlatformRoot::Tools::Copy};
    bool ready = false;
};

void BM_VeltronactlStatus(benchmark::State& state)
{
    static RunningServer server;
    if (!server.ready) {
        state.SkipWithError("veltronactl start failed");
        return;
    }
    timeRuns(state, server.mac.root(), {"status"});
}
BENCHMARK(BM_VeltronactlStatus)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

// The floor under every command: process start and the check of the administrator's password
// (PBKDF2), here failing on a wrong one so that nothing else runs.
void BM_VeltronactlAuthenticationOnly(benchmark::State& state)
{
    static RunningServer server;
    ::setenv("VELTRONA_ADMIN_PASSWORD", "wrong", 1);
    timeRuns(state, server.mac.root(), {"status"}, 2);
    ::setenv("VELTRONA_ADMIN_PASSWORD", test::kTestAdminPassword, 1);
}
BENCHMARK(BM_VeltronactlAuthenticationOnly)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);

constexpr int kUsers = 10000;

// kUsers VPN users, each record written as the directory keeps it.
struct ManyUsers {
    ManyUsers()
    {
        ::setenv("VELTRONA_ADMIN_PASSWORD", test::kTestAdminPassword, 1);
        const fs::path folder = Directory(mac.root()).recordFolder(RecordType::Users);
        for (int i = 0; i < kUsers; ++i) {
            const std::string name = "vpnuser" + std::to_string(i);
            Record record;
            record.setValues("name", {name});
            record.setValues("realname", {"VPN-User"});
            record.setValues("uid", {std::to_string(401 + i % 99)});
            record.setValues("gid", {"20"});
            record.setValues("shell", {"/usr/bin/false"});
            record.setValues("home", {"/var/empty"});
            std::ofstream(folder / (name + ".plist")) << plistToXml(record.attributes());
        }
    }
    test::TempPlatformRoot mac{test::TempPlatformRoot::Tools::Copy};
};

void BM_VeltronactlUsersJson10000(benchmark::State& state)
{
    static ManyUsers users;
    timeRuns(state, users.mac.root(), {"users", "--json"});
}
BENCHMARK(BM_VeltronactlUsersJson10000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

BENCHMARK_MAIN();
