// One client profile made from the template and written onto the Desktop, signing off.
// Target: at most 5 ms.

#include "profiles/ProfileBuilder.h"
#include "profiles/ProfileExport.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

using namespace veltrona;

class NullLog : public SystemLog {
public:
    void log(std::string_view) override { }
};

class NoRunner : public CommandRunner {
public:
    void setArgs(std::vector<std::string>) override { }
    std::string startProcessGetResult() override { return {}; }
};

void BM_ProfileBuildAndWrite(benchmark::State& state)
{
    std::string pattern = (std::filesystem::temp_directory_path() / "veltrona-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        state.SkipWithError("no temporary folder");
        return;
    }
    const std::string templatePath = profileTemplatePath(VELTRONA_RESOURCES_DIR);
    const AutomaticExport destination{pattern, PlatformPaths(pattern), false};
    NullLog log;
    NoRunner runner;
    for (auto _ : state) {
        const ProfileBuild build =
            buildProfileFromTemplate(templatePath, {"L2TP", "vpn.example.org", "secret", "alice", "pw"});
        if (!build.ok()
            || writeProfileAutomatically(build.profile, "alice", "L2TP", "vpn.example.org", destination, runner, log)
                   != ExportResult::Written)
            state.SkipWithError("the profile was not written");
    }
    std::error_code ignored;
    std::filesystem::remove_all(pattern, ignored);
}
BENCHMARK(BM_ProfileBuildAndWrite)->Unit(benchmark::kMicrosecond);

// The same without the write, to tell the building from the flush to disk that atomic writing does.
void BM_ProfileBuild(benchmark::State& state)
{
    const std::string templatePath = profileTemplatePath(VELTRONA_RESOURCES_DIR);
    for (auto _ : state) {
        ProfileBuild build =
            buildProfileFromTemplate(templatePath, {"L2TP", "vpn.example.org", "secret", "alice", "pw"});
        if (!build.ok())
            state.SkipWithError("the profile was not built");
        benchmark::DoNotOptimize(build);
    }
}
BENCHMARK(BM_ProfileBuild)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
