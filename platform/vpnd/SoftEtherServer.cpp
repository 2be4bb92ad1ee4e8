#include "platform/vpnd/SoftEtherServer.h"

#include "foundation/AtomicFile.h"
#include "foundation/RegularFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sched.h>
#include <sstream>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace veltrona {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kStopGrace{1000};

struct Place {
    const char* parent;
    const char* folder;
    const char* ours;
};
constexpr Place kPlaces[] = {
    {"/run", "/run/softether", "run"},
    {"/var/lib", "/var/lib/softether", "lib"},
    {"/var/log", "/var/log/softether", "log"},
};

// In the new namespaces, as their first process: the paths made ours, then the server. A fresh
// tmpfs over each parent means the host's folders are neither used nor made.
[[noreturn]] void becomeServer(const std::filesystem::path& state, const std::string& preload)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    // vpnd waits for its signals through a descriptor; the server gets them as usual.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    auto fail = [](const char* what) {
        const std::string line = std::string("vpnd: ") + what + ": " + std::strerror(errno) + "\n";
        (void)!write(2, line.data(), line.size());
        _exit(126);
    };
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        fail("cannot make the mounts private");
    for (const Place& place : kPlaces) {
        if (mount("tmpfs", place.parent, "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755") != 0)
            fail("cannot mount a tmpfs");
        mkdir(place.folder, 0700);
        const std::string ours = (state / place.ours).string();
        if (mount(ours.c_str(), place.folder, nullptr, MS_BIND, nullptr) != 0)
            fail("cannot bind the state folder");
    }
    // SoftEther looks up names of its own accord (connectivity checks); with host names from
    // /etc/hosts alone, no question leaves this machine.
    const std::string names = (state / "nsswitch.conf").string();
    if (mount(names.c_str(), "/etc/nsswitch.conf", nullptr, MS_BIND, nullptr) != 0)
        fail("cannot keep SoftEther from looking names up");
    if (mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0)
        fail("cannot mount /proc");
    if (chdir("/") != 0)
        fail("cannot enter /");
    const int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(null, 1);
    if (!preload.empty())
        setenv("LD_PRELOAD", preload.c_str(), 1);
    execl(kSoftEtherServerProgram, kSoftEtherServerProgram, "execsvc", static_cast<char*>(nullptr));
    fail("cannot start SoftEther VPN Server");
    _exit(127);
}

} // namespace

bool udpPortBound(unsigned port)
{
    char wanted[8];
    std::snprintf(wanted, sizeof(wanted), ":%04X", port);
    for (const char* table : {"/proc/net/udp", "/proc/net/udp6"}) {
        const std::optional<std::string> text = readRegularFile(table, 4 << 20);
        if (!text)
            continue;
        std::istringstream lines(*text);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            std::istringstream fields(line);
            std::string slot, local;
            fields >> slot >> local;
            if (local.size() > 5 && local.compare(local.size() - 5, 5, wanted) == 0)
                return true;
        }
    }
    return false;
}

SoftEtherServer::SoftEtherServer(std::filesystem::path stateFolder, std::filesystem::path within)
    : state_(std::move(stateFolder)), within_(std::move(within))
{
}

SoftEtherServer::~SoftEtherServer()
{
    stop();
}

std::filesystem::path installedJemalloc()
{
    const std::filesystem::path library = std::filesystem::path(VELTRONA_SYSTEM_LIBRARY_DIR) / "libjemalloc.so.2";
    return access(library.c_str(), R_OK) == 0 ? library : std::filesystem::path();
}

Status SoftEtherServer::start(const std::string& configuration, const std::vector<std::filesystem::path>& preloads)
{
    std::error_code ec;
    for (const std::filesystem::path& folder : {state_, state_ / "lib", state_ / "run", state_ / "log"})
        if (!liesWithin(folder, within_))
            return Status::failure(1, folder.string() + " leads out of the platform root");
    for (const Place& place : kPlaces) {
        std::filesystem::create_directories(state_ / place.ours, ec);
        chmod((state_ / place.ours).c_str(), 0700);
    }
    chmod(state_.c_str(), 0700);
    // What SoftEther saved last time is not ours to keep: every start begins from the settings.
    std::filesystem::remove_all(state_ / "lib" / "backup.vpn_server.config", ec);
    const Status written =
        writeFileAtomically(state_ / "lib" / "vpn_server.config", configuration, FileAccess::OwnerOnly, within_);
    if (!written.ok())
        return written;
    const Status names = writeFileAtomically(state_ / "nsswitch.conf", "passwd: files\ngroup: files\nhosts: files\n",
                                             FileAccess::AsBefore, within_);
    if (!names.ok())
        return names;
    std::string preload;
    for (const std::filesystem::path& object : preloads)
        preload += (preload.empty() ? "" : ":") + object.string();
    // clone with namespace flags, used as fork: the child is the first process of its namespace.
    const long child = syscall(SYS_clone, CLONE_NEWPID | CLONE_NEWNS | SIGCHLD, nullptr, nullptr, nullptr, nullptr);
    if (child < 0)
        return Status::failure(1, std::string("SoftEther VPN Server cannot be given namespaces of its own (")
                                      + std::strerror(errno) + ")");
    if (child == 0)
        becomeServer(state_, preload);
    pid_ = static_cast<pid_t>(child);
    return Status::success();
}

bool SoftEtherServer::waitUntilListening(std::chrono::milliseconds limit) const
{
    const Clock::time_point deadline = Clock::now() + limit;
    while (Clock::now() < deadline) {
        if (pid_ <= 0 || kill(pid_, 0) != 0)
            return false;
        if (udpPortBound(500) && udpPortBound(4500))
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::optional<int> SoftEtherServer::reap()
{
    if (pid_ <= 0)
        return std::nullopt;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) != pid_)
        return std::nullopt;
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

void SoftEtherServer::stop()
{
    if (pid_ <= 0)
        return;
    // The first process of a PID namespace; when it ends, the kernel ends the rest.
    kill(pid_, SIGTERM);
    const Clock::time_point deadline = Clock::now() + kStopGrace;
    int status = 0;
    while (waitpid(pid_, &status, WNOHANG) == 0) {
        if (Clock::now() >= deadline) {
            kill(pid_, SIGKILL);
            waitpid(pid_, &status, 0);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    pid_ = -1;
}

} // namespace veltrona
