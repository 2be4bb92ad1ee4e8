// From process start to the login sheet on screen: Veltrona started on the offscreen platform
// against a fresh emulated Mac, timed until it reports the window ready (--quit-when-ready).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;

fs::path binFolder()
{
    return fs::read_symlink("/proc/self/exe").parent_path();
}

// Starts a program with its output on a pipe; returns the pid and the pipe's reading end.
pid_t spawnWithPipes(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                     int& output, int* input)
{
    int out[2];
    int in[2];
    if (::pipe(out) != 0 || ::pipe(in) != 0)
        return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    for (int fd : {in[0], in[1], out[0], out[1]})
        posix_spawn_file_actions_addclose(&actions, fd);

    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> env(environment);
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    output = out[0];
    if (input)
        *input = in[1];
    else
        ::close(in[1]);
    return pid;
}

// Reads until the text appears or the output ends.
bool waitForText(int fd, const std::string& text)
{
    std::string seen;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n <= 0)
            return false;
        seen.append(buffer, static_cast<std::size_t>(n));
        if (seen.find(text) != std::string::npos)
            return true;
    }
}

int waitFor(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) { }
    return status;
}

struct EmulatedMac {
    EmulatedMac()
    {
        char pattern[] = "/tmp/veltrona-bench-XXXXXX";
        folder = ::mkdtemp(pattern);
        root = folder / "root";
        int output = -1;
        int input = -1;
        const pid_t pid = spawnWithPipes({(binFolder() / "veltrona-platform").string(), "init", root.string(),
                                          "--admin", "admin", "--full-name", "Admin User"},
                                         {}, output, &input);
        const std::string password = "secret\n";
        if (pid > 0 && ::write(input, password.data(), password.size()) < 0)
            ok = false;
        ::close(input);
        while (pid > 0) {
            char buffer[256];
            if (::read(output, buffer, sizeof buffer) <= 0)
                break;
        }
        ::close(output);
        ok = ok && pid > 0 && waitFor(pid) == 0;
    }
    ~EmulatedMac() { fs::remove_all(folder); }
    fs::path folder;
    fs::path root;
    bool ok = true;
};

void BM_ProcessStartToLoginSheet(benchmark::State& state)
{
    static EmulatedMac mac;
    if (!mac.ok) {
        state.SkipWithError("cannot make an emulated Mac with veltrona-platform");
        return;
    }
    const std::vector<std::string> command{(binFolder() / "Veltrona").string(), "--platform-root", mac.root.string(),
                                           "--quit-when-ready"};
    for (auto _ : state) {
        int output = -1;
        const auto start = std::chrono::steady_clock::now();
        const pid_t pid = spawnWithPipes(command, {"QT_QPA_PLATFORM=offscreen"}, output, nullptr);
        const bool ready = pid > 0 && waitForText(output, "Ready: the window is on screen.");
        const auto end = std::chrono::steady_clock::now();
        ::close(output);
        if (pid > 0)
            waitFor(pid);
        if (!ready) {
            state.SkipWithError("Veltrona did not report its window ready");
            return;
        }
        state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    }
}
BENCHMARK(BM_ProcessStartToLoginSheet)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

BENCHMARK_MAIN();
