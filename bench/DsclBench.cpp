// `dscl -plist . readall /users RealName UniqueID UserShell` on roots of 1,000 and 10,000 users.
// The cost must grow linearly with the number of records.

#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/Record.h"
#include "platform/tools/dsclRun.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const std::vector<std::string> kReadall{"-plist", ".", "readall", "/users", "RealName", "UniqueID", "UserShell"};

// A throw-away root holding `users` user records, written straight to their files.
class BenchRoot {
public:
    explicit BenchRoot(int users)
    {
        std::string pattern = (fs::temp_directory_path() / "veltrona-bench-XXXXXX").string();
        if (!::mkdtemp(pattern.data()))
            std::abort();
        root_ = pattern;
        veltrona::Directory directory(root_);
        const fs::path folder = directory.recordFolder(veltrona::RecordType::Users);
        fs::create_directories(folder);
        for (int i = 0; i < users; ++i) {
            const std::string name = "user" + std::to_string(users - i);
            veltrona::Record record;
            record.setValues("name", {name});
            record.setValues("realname", {"VPN-User"});
            record.setValues("uid", {std::to_string(1000 + i)});
            record.setValues("gid", {"20"});
            record.setValues("shell", {"/usr/bin/false"});
            record.setValues("home", {"/var/empty"});
            record.setValues("generateduid", {"00000000-0000-0000-0000-" + std::to_string(100000000000 + i)});
            std::ofstream(folder / (name + ".plist")) << veltrona::plistToXml(record.attributes());
        }
    }
    ~BenchRoot()
    {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    const fs::path& path() const { return root_; }

private:
    fs::path root_;
};

const BenchRoot& rootWith(int users)
{
    static std::map<int, std::unique_ptr<BenchRoot>> roots;
    auto& root = roots[users];
    if (!root)
        root = std::make_unique<BenchRoot>(users);
    return *root;
}

void DsclReadall(benchmark::State& state)
{
    const BenchRoot& root = rootWith(static_cast<int>(state.range(0)));
    std::size_t bytes = 0;
    for (auto _ : state) {
        std::ostringstream out;
        std::ostringstream err;
        if (veltrona::runDscl(kReadall, root.path(), out, err) != 0)
            state.SkipWithError("dscl failed");
        bytes = out.str().size();
        benchmark::DoNotOptimize(bytes);
    }
    state.SetComplexityN(state.range(0));
    state.counters["output_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(DsclReadall)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

// The same through the built tool, as the program's runner starts it.
void DsclReadallProcess(benchmark::State& state)
{
    const BenchRoot& root = rootWith(static_cast<int>(state.range(0)));
    const fs::path tool = fs::read_symlink("/proc/self/exe").parent_path() / "mac-tools" / "dscl";
    const std::string command = "VELTRONA_PLATFORM_ROOT='" + root.path().string() + "' '" + tool.string()
                                + "' -plist . readall /users RealName UniqueID UserShell";
    for (auto _ : state) {
        FILE* pipe = ::popen(command.c_str(), "r");
        if (!pipe) {
            state.SkipWithError("cannot start dscl");
            break;
        }
        char buffer[65536];
        std::size_t bytes = 0;
        while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
            bytes += n;
        if (::pclose(pipe) != 0 || bytes == 0)
            state.SkipWithError("dscl failed");
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(DsclReadallProcess)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace

BENCHMARK_MAIN();
