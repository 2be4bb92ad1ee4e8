// `veltronactl status` beside the two things it cannot do without, in one run on one emulated Mac
// whose server runs: one check of the administrator's password and one privileged run through
// TaskWrapper and shellTool. The target is status at most 1.3 times their sum; the summary says
// whether it holds and where status's time goes: process start (`--version`),
// authentication (a wrong password, which stops right after it) and the commands status runs,
// counted in privileged runs.
#include "bench/QuietRun.h"
#include "platform/PlatformRoot.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "services/TaskWrapper.h"
#include "tests/support/TempPlatformRoot.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace veltrona;
namespace fs = std::filesystem;

class NullLog : public SystemLog {
public:
    void log(std::string_view) override { }
};

fs::path binFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// Runs veltronactl with its output thrown away; its exit status, or -1.
int runCli(const fs::path& root, const std::vector<std::string>& arguments, const char* password)
{
    std::vector<std::string> words{(binFolder() / "veltronactl").string(), "--platform-root", root.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    ::setenv("VELTRONA_ADMIN_PASSWORD", password, 1);
    const int status = bench::runQuietly(std::move(words));
    ::unsetenv("VELTRONA_ADMIN_PASSWORD");
    return status;
}

// One emulated Mac with a running server and one authenticated runner, shared by every benchmark.
struct Mac {
    Mac()
    {
        ::setenv(kPlatformRootVariable, mac.root().c_str(), 1);
        runner.setAdminPassword(test::kTestAdminPassword, test::kTestAdminName);
        runner.setArgs({"/bin/sh", "-c", "echo ok"});
        ready = runner.checkIfSudoer() && runner.startProcessGetResult() == "ok"
                && runCli(mac.root(), {"start"}, test::kTestAdminPassword) == 0;
        runner.setArgs({"/bin/sh", "-c", "true"});
    }
    test::TempPlatformRoot mac{test::TempPlatformRoot::Tools::Copy};
    AuthorizationServicesEmulated authorization{mac.paths()};
    NullLog log;
    TaskWrapper runner{authorization, (binFolder() / "Resources").string(), log};
    bool ready = false;
};

Mac& theMac()
{
    static Mac mac;
    return mac;
}

void BM_PasswordVerification(benchmark::State& state)
{
    Mac& mac = theMac();
    const std::string name = test::kTestAdminName;
    const std::string password = test::kTestAdminPassword;
    const AuthorizationItemSet environment{{kAuthorizationEnvironmentUsername, {name.begin(), name.end()}, 0},
                                           {kAuthorizationEnvironmentPassword, {password.begin(), password.end()}, 0}};
    for (auto _ : state) {
        AuthorizationRef reference;
        mac.authorization.create({}, {}, kAuthorizationFlagDefaults, reference);
        const OSStatus granted =
            mac.authorization.copyRights(reference, {{kAdminRightName, {}, 0}}, environment,
                                         kAuthorizationFlagExtendRights | kAuthorizationFlagPreAuthorize);
        mac.authorization.free(reference, kAuthorizationFlagDefaults);
        if (granted != errAuthorizationSuccess) {
            state.SkipWithError("the administrator's password was not accepted");
            return;
        }
    }
}

void BM_PrivilegedRun(benchmark::State& state)
{
    Mac& mac = theMac();
    if (!mac.ready) {
        state.SkipWithError("the runner could not authenticate or the server could not start");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(mac.runner.startProcessGetResult());
}

void timeCli(benchmark::State& state, const std::vector<std::string>& arguments, const char* password,
             int expectedStatus)
{
    Mac& mac = theMac();
    if (!mac.ready) {
        state.SkipWithError("the server could not start");
        return;
    }
    for (auto _ : state) {
        if (runCli(mac.mac.root(), arguments, password) != expectedStatus) {
            state.SkipWithError("veltronactl did not exit as expected");
            return;
        }
    }
}

void BM_StatusProcess(benchmark::State& state)
{
    timeCli(state, {"status"}, test::kTestAdminPassword, 0);
}
void BM_ProcessStartOnly(benchmark::State& state)
{
    timeCli(state, {"--version"}, test::kTestAdminPassword, 0);
}
void BM_StartAndAuthenticationOnly(benchmark::State& state)
{
    timeCli(state, {"status"}, "wrong", 2);
}

// Keeps each benchmark's mean wall time per iteration, in milliseconds, for the summary.
class Collector : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (!run.error_occurred && run.iterations > 0)
                milliseconds[run.benchmark_name()] = run.real_accumulated_time / run.iterations * 1e3;
        }
    }
    std::map<std::string, double> milliseconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("BM_PasswordVerification", BM_PasswordVerification)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_PrivilegedRun", BM_PrivilegedRun)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(50);
    benchmark::RegisterBenchmark("BM_StatusProcess", BM_StatusProcess)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_ProcessStartOnly", BM_ProcessStartOnly)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(20);
    benchmark::RegisterBenchmark("BM_StartAndAuthenticationOnly", BM_StartAndAuthenticationOnly)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime()
        ->Iterations(20);
    benchmark::Initialize(&argc, argv);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();

    // Names come back with their options appended ("BM_StatusProcess/iterations:20/real_time").
    const auto time = [&](const std::string& name) {
        for (const auto& [full, milliseconds] : collector.milliseconds) {
            if (full == name || full.starts_with(name + "/"))
                return milliseconds;
        }
        return -1.0;
    };
    const double verification = time("BM_PasswordVerification");
    const double privileged = time("BM_PrivilegedRun");
    const double status = time("BM_StatusProcess");
    const double start = time("BM_ProcessStartOnly");
    const double authenticated = time("BM_StartAndAuthenticationOnly");
    if (verification < 0 || privileged < 0 || status < 0) {
        std::printf("status summary: a benchmark did not run (filtered out or failed)\n");
        return 1;
    }
    const double ratio = status / (verification + privileged);
    std::printf(
        "\nstatus %.1f ms / (password verification %.1f ms + privileged run %.1f ms) = %.2f: %s the 1.3 target\n",
        status, verification, privileged, ratio, ratio <= 1.3 ? "meets" : "misses");
    if (start >= 0 && authenticated >= 0) {
        const double commands = status - authenticated;
        std::printf("where status's time goes: process start %.1f ms, authentication %.1f ms (password check %.1f), "
                    "the status commands %.1f ms (%.1f privileged runs' worth)\n",
                    start, authenticated - start, verification, commands, commands / privileged);
    }
    return 0;
}
