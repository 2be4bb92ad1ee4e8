#include "platform/emulated/LaunchdJobProcess.h"

#include "foundation/AtomicFile.h"
#include "foundation/RegularFile.h"
#include "platform/emulated/ProcessStartTime.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sstream>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace veltrona {

namespace {

using Clock = std::chrono::steady_clock;

// A process named by its number and start time, so a number handed on is never signalled.
struct ProcessMark {
    pid_t pid = 0;
    std::uint64_t started = 0;
    bool alive() const { return pid > 0 && processStartTime(pid) == started; }
};

ProcessMark markOf(pid_t pid)
{
    return {pid, processStartTime(pid).value_or(0)};
}

struct RunRecord {
    ProcessMark supervisor;
    ProcessMark program;
    int lastExitStatus = 0;
};

std::optional<RunRecord> readRunRecord(const std::string& file)
{
    std::optional<std::string> text = readRegularFile(file, 4096);
    if (!text)
        return std::nullopt;
    std::istringstream in(*text);
    RunRecord record;
    std::string word;
    while (in >> word) {
        if (word == "supervisor")
            in >> record.supervisor.pid >> record.supervisor.started;
        else if (word == "program")
            in >> record.program.pid >> record.program.started;
        else if (word == "status")
            in >> record.lastExitStatus;
    }
    if (in.bad())
        return std::nullopt;
    return record;
}

void writeRunRecord(const std::string& file, const RunRecord& record, const std::filesystem::path& root)
{
    std::ostringstream out;
    out << "supervisor " << record.supervisor.pid << " " << record.supervisor.started << "\n"
        << "program " << record.program.pid << " " << record.program.started << "\n"
        << "status " << record.lastExitStatus << "\n";
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ec);
    writeFileAtomically(file, out.str(), FileAccess::AsBefore, root);
}

int exitStatusOf(int waitStatus)
{
    if (WIFEXITED(waitStatus))
        return WEXITSTATUS(waitStatus);
    return WIFSIGNALED(waitStatus) ? -WTERMSIG(waitStatus) : 0;
}

sigset_t supervisorSignals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
        sigaddset(&set, signal);
    return set;
}

// Waits for a signal of the set until the deadline; 0 when none came.
int nextSignal(const sigset_t& set, Clock::time_point deadline)
{
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return 0;
        timespec wait{static_cast<time_t>(left.count() / 1000000000), static_cast<long>(left.count() % 1000000000)};
        const int signal = sigtimedwait(&set, nullptr, &wait);
        if (signal > 0)
            return signal;
        if (errno == EAGAIN)
            return 0;
    }
}

// Ends the program: SIGTERM, then SIGKILL when it outlives the grace. Returns its exit status.
int endProgram(pid_t pid, std::chrono::milliseconds grace, const sigset_t& set)
{
    kill(pid, SIGTERM);
    const Clock::time_point deadline = Clock::now() + grace;
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (nextSignal(set, deadline) == 0 && Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
    }
    return exitStatusOf(status);
}

// The daemon's descriptors: nothing to read, output into the system log, no pipe of the caller's
// kept open (its reader would wait for the end of a daemon).
void detachDescriptors(const std::string& logFile, const std::filesystem::path& root)
{
    const int null = open("/dev/null", O_RDWR | O_CLOEXEC);
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(logFile).parent_path(), ec);
    // Never a log written through a link out of the root.
    int log = liesWithin(logFile, root)
                  ? open(logFile.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0640)
                  : -1;
    if (log < 0)
        log = null;
    dup2(null, 0);
    dup2(log, 1);
    dup2(log, 2);
    close_range(3, ~0U, 0);
}

} // namespace

LaunchdJobProcess::LaunchdJobProcess(PlatformPaths paths, std::string label, LaunchdJobTimings timings)
    : paths_(std::move(paths)), label_(std::move(label)), timings_(timings)
{
}

std::string LaunchdJobProcess::runFile() const
{
    return paths_.map(std::string(kLaunchdRunningFolder) + "/" + label_);
}

bool LaunchdJobProcess::start(const std::vector<std::string>& programArguments, bool keepAlive) const
{
    if (programArguments.empty() || programArguments[0].empty() || programArguments[0][0] != '/')
        return false;
    const std::optional<std::string> program = paths_.hostPath(programArguments[0]);
    struct stat info { };
    if (!program || stat(program->c_str(), &info) != 0 || !S_ISREG(info.st_mode) || access(program->c_str(), X_OK) != 0)
        return false;
    std::error_code ec;
    std::filesystem::remove(runFile(), ec);

    const pid_t child = fork();
    if (child < 0)
        return false;
    if (child == 0) {
        // A session of its own, and a second fork so that nobody waits for it.
        setsid();
        if (fork() == 0)
            supervise(*program, programArguments, keepAlive);
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    // Return once the program is started, so launchctl list shows its PID right away.
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(2);
    while (!readRunRecord(runFile()) && Clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return true;
}

void LaunchdJobProcess::supervise(const std::string& program, const std::vector<std::string>& arguments,
                                  bool keepAlive) const
{
    prctl(PR_SET_NAME, "launchd");
    detachDescriptors(paths_.map(kSystemLogFile), paths_.root());
    const sigset_t set = supervisorSignals();
    sigprocmask(SIG_BLOCK, &set, nullptr);

    RunRecord record;
    record.supervisor = markOf(getpid());
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    setenv("VELTRONA_PLATFORM_ROOT", paths_.root().c_str(), 1);

    for (;;) {
        const pid_t pid = fork();
        if (pid == 0) {
            sigprocmask(SIG_UNBLOCK, &set, nullptr);
            execv(program.c_str(), argv.data());
            _exit(127);
        }
        record.program = pid > 0 ? markOf(pid) : ProcessMark{};
        writeRunRecord(runFile(), record, paths_.root());

        int status = 0;
        bool stopping = false;
        while (pid > 0 && !stopping) {
            const int signal = nextSignal(set, Clock::now() + std::chrono::hours(24));
            if (signal == SIGCHLD) {
                if (waitpid(pid, &status, WNOHANG) == pid)
                    break;
            } else if (signal != 0) {
                stopping = true;
            }
        }
        if (stopping) {
            endProgram(pid, timings_.stopGrace, set);
            std::error_code ec;
            std::filesystem::remove(runFile(), ec);
            _exit(0);
        }
        record.program = {};
        record.lastExitStatus = exitStatusOf(status);
        writeRunRecord(runFile(), record, paths_.root());
        if (!keepAlive)
            _exit(0);
        // Kept alive: started again after the delay, unless the job is unloaded meanwhile.
        const Clock::time_point restart = Clock::now() + timings_.restartDelay;
        for (int signal; (signal = nextSignal(set, restart)) != 0;) {
            if (signal != SIGCHLD) {
                std::error_code ec;
                std::filesystem::remove(runFile(), ec);
                _exit(0);
            }
        }
    }
}

void LaunchdJobProcess::stop() const
{
    const std::optional<RunRecord> record = readRunRecord(runFile());
    if (!record)
        return;
    if (record->supervisor.alive()) {
        kill(record->supervisor.pid, SIGTERM);
        const Clock::time_point deadline = Clock::now() + timings_.stopGrace + std::chrono::seconds(2);
        while (record->supervisor.alive() && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (record->supervisor.alive())
            kill(record->supervisor.pid, SIGKILL);
    }
    // A program whose supervisor was lost still ends with the job.
    if (record->program.alive()) {
        kill(record->program.pid, SIGTERM);
        const Clock::time_point deadline = Clock::now() + timings_.stopGrace;
        while (record->program.alive() && Clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (record->program.alive())
            kill(record->program.pid, SIGKILL);
    }
    const Clock::time_point gone = Clock::now() + std::chrono::seconds(1);
    while ((record->supervisor.alive() || record->program.alive()) && Clock::now() < gone)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::error_code ec;
    std::filesystem::remove(runFile(), ec);
}

LaunchdRunState LaunchdJobProcess::state() const
{
    LaunchdRunState state;
    if (const std::optional<RunRecord> record = readRunRecord(runFile())) {
        if (record->program.alive())
            state.programPid = record->program.pid;
        state.lastExitStatus = record->lastExitStatus;
    }
    return state;
}

} // namespace veltrona
