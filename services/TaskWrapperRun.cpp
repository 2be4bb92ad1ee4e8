// A run: start shellTool with the external form on its standard input, collect what it prints
// while it runs, and reap it.
#include "foundation/Utf8.h"
#include "services/TaskWrapper.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <spawn.h>
#include <string_view>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace veltrona {

namespace {

constexpr int kPollMillis = 15;
constexpr auto kIdleInterval = std::chrono::milliseconds(kPollMillis);

// The process group of the tool now running (the tool leads it), or 0; read by signal handlers.
std::atomic<pid_t> runningGroup{0};
static_assert(std::atomic<pid_t>::is_always_lock_free);

// The one variable through which a front end hands over the administrator's password; no command
// run as root is to see it.
constexpr std::string_view kAdminPasswordVariable = "VELTRONA_ADMIN_PASSWORD=";

std::vector<char*> toolEnvironment()
{
    std::vector<char*> kept;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        if (!std::string_view(*variable).starts_with(kAdminPasswordVariable))
            kept.push_back(*variable);
    }
    kept.push_back(nullptr);
    return kept;
}

void closeFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

bool writeAll(int fd, const unsigned char* bytes, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, bytes, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Reads what is waiting; false at end of file or on a hard error.
bool readAvailable(int fd, std::string& collected)
{
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            collected.append(buffer, static_cast<std::size_t>(count));
            return true;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && errno == EAGAIN)
            return true;
        return false;
    }
}

// Returns true once the child has ended (or is no longer ours to wait for).
bool reapIfEnded(pid_t pid, bool block)
{
    int status = 0;
    for (;;) {
        const pid_t result = ::waitpid(pid, &status, block ? 0 : WNOHANG);
        if (result == pid)
            return true;
        if (result == 0)
            return false;
        if (errno == EINTR)
            continue;
        return true; // ECHILD: someone else reaped it; nothing left to wait for
    }
}

// Starts the tool with `input` as its standard input and `output` as its standard output;
// standard error (unless quiet) and the environment are the application's own. Returns 0 or an errno value.
int spawnTool(const std::string& launchPath, const std::string& workingDirectory, std::vector<std::string>& arguments,
              int input, int output, bool quietErrors, pid_t& pid)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (quietErrors)
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addchdir_np(&actions, workingDirectory.c_str());
    // Scripts expect the default signal state, whatever the application blocks or ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t signals;
    sigemptyset(&signals);
    posix_spawnattr_setsigmask(&attributes, &signals);
    sigaddset(&signals, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &signals);
    // A group of its own, led by the tool: a deadline or an ended front end ends the tool and
    // every command it started in one go (jobs that start a session of their own, as launchd's
    // do, stay).
    posix_spawnattr_setpgroup(&attributes, 0);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETPGROUP);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(launchPath.c_str()));
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    std::vector<char*> environment = toolEnvironment();
    const int error = ::posix_spawn(&pid, launchPath.c_str(), &actions, &attributes, argv.data(), environment.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

// Reads the tool's output while it runs, calling the idle hook every few milliseconds, and
// reaps the tool. The hook is a copy: it may replace the runner's own while it runs. Past the
// deadline the tool's group is ended and `timedOut` set.
std::string collectOutput(int fd, pid_t pid, std::function<void()> idleHook,
                          std::chrono::steady_clock::time_point deadline, bool& timedOut)
{
    std::string collected;
    auto lastIdle = std::chrono::steady_clock::now();
    for (;;) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            timedOut = true;
            break;
        }
        pollfd watched{fd, POLLIN, 0};
        const int ready = ::poll(&watched, 1, kPollMillis);
        if (ready < 0 && errno != EINTR)
            break;
        if (ready > 0 && !readAvailable(fd, collected))
            break; // end of file: the tool and everything it started have closed the pipe
        if (std::chrono::steady_clock::now() - lastIdle < kIdleInterval)
            continue;
        // A background job may keep the pipe open after the tool ends: once the tool has
        // ended, take what is already waiting and stop rather than wait for that job.
        if (reapIfEnded(pid, false)) {
            pollfd rest{fd, POLLIN, 0};
            while (::poll(&rest, 1, 0) > 0 && readAvailable(fd, collected)) { }
            return collected;
        }
        if (idleHook)
            idleHook();
        lastIdle = std::chrono::steady_clock::now();
    }
    if (timedOut) {
        reapIfEnded(pid, true);
        return collected;
    }
    // A tool that closed its output may still run: the deadline holds for it too.
    while (!reapIfEnded(pid, false)) {
        if (std::chrono::steady_clock::now() >= deadline) {
            ::kill(-pid, SIGKILL);
            timedOut = true;
            reapIfEnded(pid, true);
            break;
        }
        ::poll(nullptr, 0, kPollMillis);
    }
    return collected;
}

} // namespace

void endRunningTool() noexcept
{
    if (const pid_t group = runningGroup.load(); group > 0)
        ::kill(-group, SIGKILL);
}

std::string runnerResultFromOutput(std::string_view output)
{
    if (output.empty() || !isValidUtf8(output))
        return {};
    // Drop one whole character, not one byte, so the result stays valid UTF-8.
    std::size_t end = output.size() - 1;
    while (end > 0 && (static_cast<std::uint8_t>(output[end]) & 0xC0) == 0x80)
        --end;
    return std::string(output.substr(0, end));
}

std::string TaskWrapper::startProcessGetResult()
{
    // Only a call re-entering from the idle hook can find a run in progress.
    if (task)
        return {};
    task.emplace(RunningTool{});
    std::string output = runTool();
    task.reset();
    return runnerResultFromOutput(output);
}

std::string TaskWrapper::runTool()
{
    const std::string launchPath = resourceDirectory_ + "/shellTool";
    int input[2] = {-1, -1};
    int output[2] = {-1, -1};
    if (::pipe2(input, O_CLOEXEC) != 0 || ::pipe2(output, O_CLOEXEC) != 0) {
        log_.log("can't create pipes for " + launchPath + ": " + std::strerror(errno));
        for (int* fd : {&input[0], &input[1], &output[0], &output[1]})
            closeFd(*fd);
        return {};
    }
    // The form goes into the pipe before the tool exists: 32 bytes fit its buffer, and a tool
    // that never reads cannot make this write fail with SIGPIPE.
    writeAll(input[1], extAuth.bytes.data(), extAuth.bytes.size());
    closeFd(input[1]);

    pid_t pid = -1;
    const int spawnError = spawnTool(launchPath, resourceDirectory_, arguments, input[0], output[1], quietErrors_, pid);
    closeFd(input[0]);
    closeFd(output[1]);
    if (spawnError != 0) {
        log_.log("can't launch " + launchPath + ": " + std::strerror(spawnError));
        closeFd(output[0]);
        return {};
    }
    task->pid = pid;
    runningGroup.store(pid);
    bool timedOut = false;
    std::string collected =
        collectOutput(output[0], pid, idleHook_, std::chrono::steady_clock::now() + timeLimit_, timedOut);
    runningGroup.store(0);
    closeFd(output[0]);
    if (timedOut) {
        log_.log((arguments.empty() ? launchPath : arguments.front()) + " did not end within "
                 + std::to_string(timeLimit_.count()) + " ms and was ended");
        return {};
    }
    return collected;
}

} // namespace veltrona
