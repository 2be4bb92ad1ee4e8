// One privileged run of `/bin/sh -c true` through TaskWrapper and shellTool, against a direct
// spawn of the same command: the road to root costs two process starts where one would do.
#include "platform/PlatformRoot.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "services/TaskWrapper.h"
#include "tests/support/TempPlatformRoot.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

extern char** environ;

namespace {

using namespace veltrona;

class NullLog : public SystemLog {
public:
    void log(std::string_view) override { }
};

// One emulated Mac and one authenticated runner for the whole benchmark run.
struct PrivilegedSetup {
    PrivilegedSetup()
    {
        ::setenv(kPlatformRootVariable, platform.root().c_str(), 1);
        runner.setAdminPassword(test::kTestAdminPassword, test::kTestAdminName);
        authenticated = runner.checkIfSudoer();
        runner.setArgs({"/bin/sh", "-c", "echo ok"});
        working = runner.startProcessGetResult() == "ok";
        runner.setArgs({"/bin/sh", "-c", "true"});
    }

    test::TempPlatformRoot platform;
    AuthorizationServicesEmulated authorization{platform.paths()};
    NullLog log;
    TaskWrapper runner{authorization,
                       (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Resources").string(), log};
    bool authenticated = false;
    bool working = false;
};

// CPU time that ended child processes used: on a busy machine it is steadier than wall time.
double childCpuMicroseconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto micros = [](const timeval& t) { return t.tv_sec * 1e6 + t.tv_usec; };
    return micros(usage.ru_utime) + micros(usage.ru_stime);
}

void reportChildCpu(benchmark::State& state, double before)
{
    state.counters["child_cpu_us"] =
        benchmark::Counter(childCpuMicroseconds() - before, benchmark::Counter::kAvgIterations);
}

void BM_PrivilegedRun(benchmark::State& state)
{
    static PrivilegedSetup setup;
    if (!setup.authenticated || !setup.working) {
        state.SkipWithError("the runner could not authenticate or run shellTool");
        return;
    }
    const double before = childCpuMicroseconds();
    for (auto _ : state)
        benchmark::DoNotOptimize(setup.runner.startProcessGetResult());
    reportChildCpu(state, before);
}
BENCHMARK(BM_PrivilegedRun)->Unit(benchmark::kMicrosecond)->UseRealTime();

void BM_DirectSpawn(benchmark::State& state)
{
    char shell[] = "/bin/sh", flag[] = "-c", command[] = "true";
    char* argv[] = {shell, flag, command, nullptr};
    const double before = childCpuMicroseconds();
    for (auto _ : state) {
        pid_t pid = -1;
        if (::posix_spawn(&pid, shell, nullptr, nullptr, argv, environ) != 0) {
            state.SkipWithError("posix_spawn failed");
            return;
        }
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
    reportChildCpu(state, before);
}
BENCHMARK(BM_DirectSpawn)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
