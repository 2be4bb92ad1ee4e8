#include "platform/vpnd/VpndDaemon.h"

#include "foundation/HexText.h"
#include "platform/vpnd/AdminChannel.h"
#include "platform/vpnd/RadiusResponder.h"
#include "platform/vpnd/SessionReaper.h"
#include "platform/vpnd/SessionsSnapshot.h"
#include "platform/vpnd/Sha0.h"
#include "platform/vpnd/SoftEtherConfig.h"
#include "platform/vpnd/SoftEtherServer.h"
#include "platform/vpnd/VpnLogins.h"
#include "platform/vpnd/VpndSettings.h"

#include <openssl/rand.h>

#include <csignal>
#include <poll.h>
#include <set>
#include <sys/signalfd.h>
#include <unistd.h>

namespace veltrona {

namespace {

constexpr const char* kStateFolder = "/var/db/vpnd/softether";
constexpr const char* kLoopbackPreload = "/usr/lib/vpnd/loopback-bind.so";
constexpr std::chrono::seconds kStartLimit{20};

struct Signals {
    int fd = -1;
    Signals()
    {
        sigset_t set;
        sigemptyset(&set);
        for (int signal : {SIGTERM, SIGINT, SIGHUP, SIGCHLD})
            sigaddset(&set, signal);
        sigprocmask(SIG_BLOCK, &set, nullptr);
        fd = signalfd(-1, &set, SFD_CLOEXEC);
    }
    ~Signals()
    {
        if (fd >= 0)
            close(fd);
    }
    // The next signal, waiting at most `timeoutMs` (-1: for ever); 0 for none.
    int next(int timeoutMs) const
    {
        pollfd wait{fd, POLLIN, 0};
        if (poll(&wait, 1, timeoutMs) <= 0)
            return 0;
        signalfd_siginfo info{};
        return read(fd, &info, sizeof(info)) == sizeof(info) ? static_cast<int>(info.ssi_signo) : 0;
    }
};

bool isStopSignal(int signal)
{
    return signal == SIGTERM || signal == SIGINT || signal == SIGHUP;
}

// Says why once, then stays up until told to stop.
int idle(const std::string& reason, const Signals& signals, SystemLog& log)
{
    log.log(std::string(kNotServingPrefix) + reason);
    while (!isStopSignal(signals.next(-1))) { }
    return 0;
}

std::string randomBytes(std::size_t count)
{
    std::string bytes(count, '\0');
    RAND_bytes(reinterpret_cast<unsigned char*>(bytes.data()), static_cast<int>(count));
    return bytes;
}

std::string randomHex(std::size_t count)
{
    return hexText(randomBytes(count));
}

// Printable for the log: a name a client sent may hold anything.
std::string loggable(std::string_view name)
{
    std::string out;
    for (char c : name.substr(0, 64))
        out += static_cast<unsigned char>(c) < 32 || c == 127 ? '?' : c;
    return out;
}

// Checks a login against the directory as it is now.
class LoginCheck {
public:
    LoginCheck(std::filesystem::path root, SystemLog& log) : root_(std::move(root)), log_(log) { }

    void reportAccountsWithoutHash()
    {
        for (const VpnLogin& login : allVpnLogins(root_))
            if (!login.ntHash)
                reportMissingHash(login.name);
    }

    std::optional<std::string> operator()(const MsChapV2Exchange& exchange)
    {
        const std::optional<VpnLogin> login = findVpnLogin(root_, exchange.userName);
        if (login && !login->ntHash)
            reportMissingHash(login->name);
        std::optional<std::string> proof =
            login && login->ntHash ? verifyMsChapV2(exchange, *login->ntHash) : std::nullopt;
        log_.log((proof ? "Accepted the login of " : "Refused a login as ") + loggable(exchange.userName));
        return proof;
    }

private:
    void reportMissingHash(const std::string& name)
    {
        if (reported_.insert(name).second)
            log_.log(name + " cannot log in over the VPN until its password is set again (no SMB-NT hash)");
    }

    std::filesystem::path root_;
    SystemLog& log_;
    std::set<std::string> reported_;
};

std::optional<std::string> serverIdArgument(const std::vector<std::string>& arguments)
{
    std::optional<std::string> id;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-i" && i + 1 < arguments.size())
            id = arguments[++i];
        else if (arguments[i] != "-x" && arguments[i] != "-d")
            return std::nullopt;
    }
    return id;
}

} // namespace

int runVpnd(const std::vector<std::string>& arguments, const PlatformPaths& paths, SystemLog& log)
{
    const std::optional<std::string> serverId = serverIdArgument(arguments);
    if (!serverId || serverId->empty()) {
        log.log("usage: vpnd [-x] [-d] -i SERVER-ID");
        return 64;
    }
    const Signals signals;
    const std::string type = serverId->substr(serverId->rfind('.') + 1);
    if (type == "PPTP")
        return idle("PPTP needs kernel PPP, which this machine lacks", signals, log);
    if (type != "L2TP")
        return idle("the server type " + type + " is not known", signals, log);
    if (geteuid() != 0)
        return idle("serving needs root (UDP ports 500 and 4500, a mount namespace of its own)", signals, log);
    if (access(kSoftEtherServerProgram, X_OK) != 0)
        return idle("SoftEther VPN Server is not installed (softether-vpnserver)", signals, log);

    const VpndSettingsResult read = readVpndSettings(paths, *serverId);
    if (const std::string* reason = std::get_if<std::string>(&read))
        return idle(*reason, signals, log);
    const VpndSettings& settings = std::get<VpndSettings>(read);

    RadiusResponder radius(randomHex(16));
    if (radius.port() == 0)
        return idle("no loopback port is free for the login check", signals, log);
    LoginCheck check(paths.root(), log);
    check.reportAccountsWithoutHash();

    SoftEtherSecrets secrets;
    secrets.radiusPort = radius.port();
    secrets.radiusSecret = radius.secret();
    secrets.adminHash = base64Bytes(randomBytes(20));
    // The administration (sessions listed and ended) only where its listener can be kept on loopback.
    const std::filesystem::path preload = paths.map(kLoopbackPreload);
    std::optional<AdminChannelMaking> admin;
    std::string noAdmin = preload.string() + " is missing";
    if (access(preload.c_str(), R_OK) == 0) {
        admin = makeAdminChannel();
        noAdmin = "no loopback port, password or certificate could be made for SoftEther's administration";
    }
    if (admin) {
        const std::array<unsigned char, 20> hash = sha0(admin->channel.password);
        secrets.adminPort = admin->channel.port;
        secrets.adminPasswordHash = base64Bytes(std::string_view(reinterpret_cast<const char*>(hash.data()), 20));
        secrets.certificateDer = admin->certificateDer;
        secrets.keyDer = admin->keyDer;
    }
    const std::optional<std::string> configuration = softEtherConfig(settings, secrets);
    if (!configuration)
        return idle("the client address range leaves no address for the server's end", signals, log);

    SoftEtherServer server(paths.map(kStateFolder), paths.root());
    const std::filesystem::path channelFile = paths.map(kAdminChannelFile);
    std::error_code ec;
    std::filesystem::remove(channelFile, ec);
    std::vector<std::filesystem::path> preloads;
    if (admin)
        preloads.push_back(preload);
    if (std::filesystem::path jemalloc = installedJemalloc(); !jemalloc.empty())
        preloads.push_back(std::move(jemalloc));
    if (const Status started = server.start(*configuration, preloads); !started.ok())
        return idle(started.message(), signals, log);
    if (!server.waitUntilListening(kStartLimit)) {
        server.stop();
        log.log(std::string(kNotServingPrefix) + "SoftEther VPN Server did not open UDP 500 and 4500");
        return 1;
    }
    std::optional<SessionReaper> reaper;
    const Status written = admin ? writeAdminChannel(channelFile, admin->channel, paths.root())
                                 : writeAdminChannelUnavailable(channelFile, noAdmin, paths.root());
    if (!written.ok())
        log.log("Connected clients cannot be listed: " + written.message());
    else if (admin)
        reaper.emplace(paths, admin->channel, [&log](const std::string& line) { log.log(line); });
    log.log(kServingLine);

    for (;;) {
        pollfd waits[2] = {{signals.fd, POLLIN, 0}, {radius.descriptor(), POLLIN, 0}};
        const int ready = poll(waits, 2, reaper ? static_cast<int>(kReaperInterval.count()) : -1);
        if (reaper)
            reaper->look();
        if (ready <= 0)
            continue;
        if (waits[1].revents & POLLIN)
            radius.serve(std::ref(check));
        if (!(waits[0].revents & POLLIN))
            continue;
        const int signal = signals.next(0);
        if (isStopSignal(signal))
            break;
        if (const std::optional<int> status = server.reap()) {
            log.log(std::string(kNotServingPrefix) + "SoftEther VPN Server ended (status " + std::to_string(*status)
                    + ")");
            std::filesystem::remove(channelFile, ec);
            SessionsSnapshot(paths).drop();
            return 1;
        }
    }
    std::filesystem::remove(channelFile, ec);
    SessionsSnapshot(paths).drop();
    server.stop();
    log.log(kStoppedLine);
    return 0;
}

} // namespace veltrona
