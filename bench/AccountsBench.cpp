// The account list's reload: reading a listing of 10,000 VPN users, and the whole reload through
// the privileged runner, shellTool and the stand-in dscl on an emulated Mac holding them.

#include "accounts/AccountActions.h"
#include "accounts/AccountListing.h"
#include "foundation/PlistIO.h"
#include "platform/PlatformRoot.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "platform/emulated/Directory.h"
#include "services/TaskWrapper.h"
#include "tests/support/PrivilegedMac.h"
#include "tests/support/TempPlatformRoot.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sys/resource.h>

namespace {

using namespace veltrona;

constexpr int kUsers = 10000;

class NullLog : public SystemLog {
public:
    void log(std::string_view) override { }
};

std::string userName(int i)
{
    return "vpnuser" + std::to_string(i);
}

// What the directory tool prints for kUsers VPN users.
std::string listingText()
{
    PlistArray records;
    for (int i = 0; i < kUsers; ++i) {
        PlistDictionary record;
        record.set("dsAttrTypeStandard:RealName", PlistArray{"VPN-User"});
        record.set("dsAttrTypeStandard:RecordName", PlistArray{userName(i)});
        record.set("dsAttrTypeStandard:UniqueID", PlistArray{std::to_string(401 + i % 99)});
        record.set("dsAttrTypeStandard:UserShell", PlistArray{"/usr/bin/false"});
        records.emplace_back(std::move(record));
    }
    return plistToXml(records);
}

void BM_ParseAccountListing(benchmark::State& state)
{
    const std::string text = listingText();
    for (auto _ : state) {
        std::optional<std::vector<AccountRecord>> accounts = parseAccountListing(text);
        if (!accounts || accounts->size() != kUsers)
            state.SkipWithError("the listing did not give every account");
        benchmark::DoNotOptimize(accounts);
    }
    state.counters["listing_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_ParseAccountListing)->Unit(benchmark::kMillisecond);

// An emulated Mac with kUsers VPN users, each record written as the directory keeps it.
struct ReloadSetup {
    ReloadSetup()
    {
        ::setenv(kPlatformRootVariable, platform.root().c_str(), 1);
        Directory directory(platform.root());
        const std::filesystem::path folder = directory.recordFolder(RecordType::Users);
        for (int i = 0; i < kUsers; ++i) {
            Record record;
            record.setValues("name", {userName(i)});
            record.setValues("realname", {"VPN-User"});
            record.setValues("uid", {std::to_string(401 + i % 99)});
            record.setValues("gid", {"20"});
            record.setValues("shell", {"/usr/bin/false"});
            record.setValues("home", {"/var/empty"});
            record.setValues("generateduid", {uuidStringForBench(i)});
            std::ofstream(folder / (userName(i) + ".plist")) << plistToXml(record.attributes());
        }
        runner.setAdminPassword(test::kTestAdminPassword, test::kTestAdminName);
        ready = runner.checkIfSudoer();
    }
    static std::string uuidStringForBench(int i)
    {
        return "00000000-0000-0000-0000-" + std::to_string(100000000000 + i);
    }

    test::TempPlatformRoot platform{test::TempPlatformRoot::Tools::Copy};
    AuthorizationServicesEmulated authorization{platform.paths()};
    NullLog log;
    TaskWrapper runner{authorization,
                       (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Resources").string(), log};
    bool ready = false;
};

// CPU time that ended child processes (shellTool, sh, dscl) used: steadier than wall time on a
// busy machine.
double childCpuMilliseconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    const auto millis = [](const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; };
    return millis(usage.ru_utime) + millis(usage.ru_stime);
}

void BM_ReloadThroughRunner(benchmark::State& state)
{
    static ReloadSetup setup;
    if (!setup.ready) {
        state.SkipWithError("the runner could not authenticate");
        return;
    }
    const double before = childCpuMilliseconds();
    for (auto _ : state) {
        std::vector<AccountRecord> accounts = loadVpnAccounts(setup.runner, setup.log);
        if (accounts.size() != kUsers)
            state.SkipWithError("the reload did not list every account");
        benchmark::DoNotOptimize(accounts);
    }
    state.counters["child_cpu_ms"] =
        benchmark::Counter(childCpuMilliseconds() - before, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ReloadThroughRunner)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

// One account created end to end on the emulated Mac, as the window's "Create" does it: the two
// name probes, the id listing and the creation script, each through the real runner and shellTool.
void BM_CreateAccount(benchmark::State& state)
{
    veltrona::test::PrivilegedMac mac;
    int next = 0;
    for (auto _ : state) {
        if (veltrona::createVPNAccount(mac.runner(), mac.paths(), "bench" + std::to_string(next++), "pw")) {
            state.SkipWithError("the account was refused");
            return;
        }
    }
}
BENCHMARK(BM_CreateAccount)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

BENCHMARK_MAIN();
