// veltronactl profile NAME --serve on an emulated Mac: the running program's offer fetched with
// curl on loopback as a phone would, its printed QR code read back with zbarimg, and its socket
// looked for once the offer has ended (issue 19).
#include "tests/cli/CliMac.h"
#include "tests/profiles/ThrowAwayCa.h"
#include "tests/support/FileText.h"
#include "tests/support/OfferFetch.h"
#include "tests/support/ProcessRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <regex>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A veltronactl that keeps running: what it prints read as it comes, ended by a signal.
class RunningCli {
public:
    RunningCli(const CliMac& mac, const std::vector<std::string>& arguments)
    {
        int pipeEnds[2];
        if (::pipe2(pipeEnds, O_CLOEXEC) != 0)
            return;
        output_ = pipeEnds[0];
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        std::vector<std::string> words{CliMac::program().string()};
        words.insert(words.end(), arguments.begin(), arguments.end());
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        std::vector<std::string> settings{"VELTRONA_PLATFORM_ROOT=" + mac.root().string(),
                                          std::string("VELTRONA_ADMIN_PASSWORD=") + kTestAdminPassword};
        std::vector<char*> envp;
        for (std::string& setting : settings)
            envp.push_back(setting.data());
        for (char** inherited = environ; *inherited; ++inherited) {
            if (!std::string_view(*inherited).starts_with("VELTRONA_"))
                envp.push_back(*inherited);
        }
        envp.push_back(nullptr);
        if (::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
    }
    ~RunningCli()
    {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (output_ >= 0)
            ::close(output_);
    }

    // Reads until `text` has been printed or the program ends; whether it was.
    bool waitFor(const std::string& text, std::chrono::milliseconds limit = 60s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        while (printed_.find(text) == std::string::npos && std::chrono::steady_clock::now() < end) {
            pollfd readable{output_, POLLIN, 0};
            if (::poll(&readable, 1, 100) <= 0)
                continue;
            char buffer[4096];
            const ssize_t got = ::read(output_, buffer, sizeof buffer);
            if (got <= 0)
                break;
            printed_.append(buffer, static_cast<std::size_t>(got));
        }
        return printed_.find(text) != std::string::npos;
    }
    // The exit status once it has ended by itself within `limit`; -1 if it did not.
    int exitStatus(std::chrono::milliseconds limit = 30s)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        int status = 0;
        while (std::chrono::steady_clock::now() < end) {
            waitFor("\x01", 50ms); // collects what it prints meanwhile
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                exited_ = true;
                waitFor("\x01", 100ms);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
        }
        return -1;
    }
    void signal(int number) const { ::kill(pid_, number); }
    const std::string& printed() const { return printed_; }

    // The line that starts with https://.
    std::string url() const
    {
        std::smatch match;
        static const std::regex line("(https://[^\\s]+)");
        return std::regex_search(printed_, match, line) ? match[1].str() : std::string();
    }
    // The lines drawn in half blocks.
    std::string code() const
    {
        std::string lines;
        std::istringstream text(printed_);
        std::string line;
        while (std::getline(text, line)) {
            if (line.starts_with("\u2588"))
                lines += line + "\n";
        }
        return lines;
    }

private:
    pid_t pid_ = -1;
    int output_ = -1;
    bool exited_ = false;
    std::string printed_;
};

constexpr const char* kOffered = "Ctrl-C ends the offer.";

// Two profiles made one after the other differ only in their UUIDs.
std::string withoutUuids(const std::string& profile)
{
    static const std::regex uuid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::string text = std::regex_replace(profile, uuid, "UUID");
    std::erase(text, '\r');
    return text;
}

class CliHandOver : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CliMac::available())
            FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them";
        for (const char* tool : {"curl", "zbarimg", "openssl"}) {
            if (!programAvailable(tool))
                GTEST_SKIP() << tool << " is not installed (scripts/install-deps.sh installs it)";
        }
        ASSERT_EQ(
            mac.run({"settings", "set", "host=vpn.example.org", "dns=10.0.0.1", "range=10.0.0.2-10.0.0.9"}).exitStatus,
            0);
        ASSERT_EQ(mac.run({"secret", "set"}, "Sesame42\n").exitStatus, 0);
        ASSERT_EQ(mac.run({"users", "add", "alice"}, "pw one\n").exitStatus, 0);
        const ProcessRun exported = mac.run({"profile", "alice", "-o", (exportDir / "alice.mobileconfig").string()});
        ASSERT_EQ(exported.exitStatus, 0) << exported.err;
        exportedProfile = readText(exportDir / "alice.mobileconfig");
    }

    CliMac mac;
    TempDir exportDir;
    std::string exportedProfile;
};

TEST_F(CliHandOver, ServedOnceAtTheAddressItsCodeHolds)
{
    RunningCli serving(mac, {"profile", "alice", "--serve", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serving.waitFor(kOffered)) << serving.printed();
    const std::string url = serving.url();
    const int port = portOf(url);
    ASSERT_TRUE(std::regex_match(url, std::regex("https://127\\.0\\.0\\.1:[0-9]+/[0-9a-f]{32}"))) << url;
    EXPECT_TRUE(listeningOn(port));
    EXPECT_EQ(decodeHalfBlockCode(serving.code()), url) << serving.code();
    EXPECT_NE(serving.printed().find("The phone will warn about the address's certificate"), std::string::npos)
        << "no certificate exists for the host, so a throw-away one is used";

    // Nothing but the exact address gives the profile, and none of these uses up the offer.
    const std::string origin = url.substr(0, url.rfind('/'));
    const std::string token = url.substr(url.rfind('/') + 1);
    std::string otherToken = token;
    otherToken[0] = otherToken[0] == 'a' ? 'b' : 'a';
    for (const auto& [asked, options] :
         std::vector<std::pair<std::string, std::vector<std::string>>>{{origin + "/" + otherToken, {}},
                                                                       {origin + "/", {}},
                                                                       {url + "/alice.mobileconfig", {}},
                                                                       {origin + "/" + token.substr(0, 31), {}},
                                                                       {url, {"--request", "POST"}},
                                                                       {url, {"--request", "DELETE"}}}) {
        const Fetched refused = fetchOnce(asked, options);
        EXPECT_EQ(refused.curlExit, 0) << asked;
        EXPECT_EQ(refused.status, 404) << asked << " " << options.size();
        EXPECT_EQ(refused.body, "") << asked;
    }

    const Fetched first = fetchOnce(url);
    EXPECT_EQ(first.status, 200);
    EXPECT_EQ(first.contentType, "application/x-apple-aspen-config");
    EXPECT_EQ(withoutUuids(first.body), withoutUuids(exportedProfile)) << "the profile \"Export Profile…\" writes";
    EXPECT_NE(first.body.find("U2VzYW1lNDI="), std::string::npos) << "the shared secret, Sesame42, goes along";

    EXPECT_EQ(serving.exitStatus(), 0) << serving.printed();
    EXPECT_NE(serving.printed().find("The profile was downloaded; the address is gone."), std::string::npos);
    EXPECT_FALSE(listeningOn(port));
    const Fetched second = fetchOnce(url);
    EXPECT_EQ(second.curlExit, 7) << "nothing answers once the offer ended";
    EXPECT_EQ(second.body, "");
}

TEST_F(CliHandOver, SignedAndSpokenWithTheHostsOwnCertificate)
{
    ThrowAwayCa ca;
    const ThrowAwayCa::Pair pair = ca.issue("vpn.example.org", true);
    ASSERT_TRUE(ca.ok());
    const fs::path certs = mac.root() / "usr/local/quillfen/ssl/certs";
    const fs::path keys = mac.root() / "usr/local/quillfen/ssl/private";
    fs::create_directories(certs);
    fs::create_directories(keys);
    fs::copy_file(pair.certificate, certs / "vpn.example.org.crt");
    fs::copy_file(pair.key, keys / "vpn.example.org.key");
    fs::copy_file(ca.intermediateCertificate(), certs / "vpn.example.org.IntermediateCA.crt");

    RunningCli serving(mac, {"profile", "alice", "--serve", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serving.waitFor(kOffered)) << serving.printed();
    EXPECT_NE(serving.printed().find("The profile is signed."), std::string::npos) << serving.printed();
    const std::string url = serving.url();
    const int port = portOf(url);
    // The chain the server sends must lead to the CA's root: the host's certificate and its
    // intermediate. The host name is pinned to loopback, so nothing leaves this machine.
    const std::string atHost = "https://vpn.example.org:" + std::to_string(port) + url.substr(url.rfind('/'));
    const Fetched fetched = fetchOnce(atHost, {"--resolve", "vpn.example.org:" + std::to_string(port) + ":127.0.0.1",
                                               "--cacert", ca.rootCertificate().string(), "--no-insecure"});
    ASSERT_EQ(fetched.curlExit, 0) << "the certificate did not verify";
    EXPECT_EQ(fetched.status, 200);
    writeText(exportDir / "served", fetched.body);
    const std::optional<std::string> content = verifiedContent(exportDir / "served", ca);
    ASSERT_TRUE(content) << "the served profile's signature does not verify";
    EXPECT_EQ(withoutUuids(*content), withoutUuids(exportedProfile));
    EXPECT_EQ(serving.exitStatus(), 0) << serving.printed();
    EXPECT_FALSE(listeningOn(port));
}

TEST_F(CliHandOver, CtrlCEndsTheOfferAndClosesItsSocket)
{
    RunningCli serving(mac, {"profile", "alice", "--serve", "--bind", "127.0.0.1"});
    ASSERT_TRUE(serving.waitFor(kOffered)) << serving.printed();
    const int port = portOf(serving.url());
    ASSERT_TRUE(listeningOn(port));
    serving.signal(SIGINT);
    EXPECT_EQ(serving.exitStatus(), 1) << serving.printed();
    EXPECT_NE(serving.printed().find("veltronactl: The offer was ended; nothing was downloaded."), std::string::npos)
        << serving.printed();
    EXPECT_FALSE(listeningOn(port));
    EXPECT_EQ(fetchOnce(serving.url()).curlExit, 7);
}

TEST_F(CliHandOver, RefusedUsesListenNowhere)
{
    const struct {
        std::vector<std::string> arguments;
        std::string said;
    } rows[] = {
        {{"profile", "alice", "--serve", "-o", "x.mobileconfig"}, "it takes neither -o nor --sign"},
        {{"profile", "alice", "--serve", "--sign"}, "it takes neither -o nor --sign"},
        {{"profile", "alice", "--bind", "127.0.0.1"}, "--bind goes with profile NAME --serve only."},
        {{"profile", "alice", "--serve", "--json"}, "--json does not go with profile NAME --serve"},
        // A name would be looked up in the DNS: only an address of this machine is taken.
        {{"profile", "alice", "--serve", "--bind", "localhost"}, "--bind takes an IP address of this machine"},
        // 192.0.2.1 (TEST-NET-1) is no address of this machine: binding fails, nothing is sent.
        {{"profile", "alice", "--serve", "--bind", "192.0.2.1"}, "Cannot listen on 192.0.2.1."},
        {{"profile", "bob", "--serve", "--bind", "127.0.0.1"}, "There is no VPN user named bob."},
    };
    for (const auto& row : rows) {
        const ProcessRun run = mac.run(row.arguments);
        EXPECT_EQ(run.exitStatus, 1) << row.said;
        // With --json the refusal is the one JSON object on standard output.
        EXPECT_NE((run.err + run.out).find(row.said), std::string::npos) << run.err << run.out;
        EXPECT_EQ(run.out.find("https://"), std::string::npos) << row.said;
    }
}

} // namespace
} // namespace veltrona::test
