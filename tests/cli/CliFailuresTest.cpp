// veltronactl when a step fails or a server never answers: the failure is told, with the exit
// code that says so, and nothing is reported done that was not (issue 17).
#include "tests/cli/CliMac.h"
#include "tests/services/LoopbackHttpServer.h"
#include "tests/support/FileText.h"
#include "tests/support/LoopbackSocket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// Puts a shell script in front of one of the root's stand-in tools: `before` runs first and may
// exit; otherwise the real tool runs with the same arguments.
void wrapTool(const fs::path& tool, const std::string& before)
{
    if (!fs::exists(tool.string() + ".real"))
        fs::rename(tool, tool.string() + ".real");
    std::ofstream(tool) << "#!/bin/sh\n" << before << "\nexec \"$0.real\" \"$@\"\n";
    fs::permissions(tool, fs::perms::owner_all);
}

bool mentions(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// What racoon would find in the System keychain, or "" when there is no item.
std::string keychainSecret(const CliMac& mac)
{
    const ProcessRun found = runProgram((mac.root() / "usr/bin/security").string(),
                                        {"find-generic-password", "-a", "com.apple.ppp.L2TP", "-s",
                                         "com.apple.net.racoon", "-w", "/Library/Keychains/System.keychain"},
                                        {{"VELTRONA_PLATFORM_ROOT", mac.root().string()}});
    return found.exitStatus == 0 ? found.out : std::string();
}

class CliFailures : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!CliMac::available())
            FAIL() << "veltronactl, shellTool or the stand-in tools are not built";
    }
    CliMac mac;
};

TEST_F(CliFailures, ASecretTheKeychainRefusesIsNotReportedStoredAndTheOldOneStays)
{
    ASSERT_EQ(mac.run({"secret", "set"}, "OldSecret1\n").exitStatus, 0);
    wrapTool(mac.root() / "usr/bin/security", "case \" $* \" in *\" -p NewSecret1 \"*) exit 1 ;; esac");

    const ProcessRun stored = mac.run({"secret", "set"}, "NewSecret1\n");
    EXPECT_EQ(stored.exitStatus, 3);
    EXPECT_EQ(stored.err, "veltronactl: The shared secret could not be stored.\n");
    EXPECT_EQ(keychainSecret(mac), "OldSecret1\n") << "the old secret is put back";
    EXPECT_TRUE(mentions(mac.run({"status"}).out, "Shared secret:   set\n"));

    // When even the old one cannot come back, status says so rather than what the file holds.
    wrapTool(mac.root() / "usr/bin/security", "[ \"$1\" = add-generic-password ] && exit 1");
    EXPECT_EQ(mac.run({"secret", "set"}, "Other2\n").exitStatus, 3);
    ASSERT_EQ(keychainSecret(mac), "");
    EXPECT_TRUE(mentions(mac.run({"status"}).out, "Shared secret:   not set\n"));

    // A secret the sheet's filter would change is refused before anything runs.
    const ProcessRun blank = mac.run({"secret", "set"}, "two words\n");
    EXPECT_EQ(blank.exitStatus, 1);
    EXPECT_EQ(blank.err, "veltronactl: A shared secret may hold only letters, marks and digits.\n");
}

TEST_F(CliFailures, AnUnloadThatFailsStopsRestartAndUninstall)
{
    ASSERT_EQ(mac.run({"start"}).exitStatus, 0);
    wrapTool(mac.root() / "bin/launchctl", "[ \"$1\" = unload ] && exit 1");

    const ProcessRun restart = mac.run({"restart"});
    EXPECT_EQ(restart.exitStatus, 3);
    EXPECT_EQ(restart.err, "veltronactl: The VPN server did not stop.\n");

    const ProcessRun uninstall = mac.run({"uninstall", "--yes"});
    EXPECT_EQ(uninstall.exitStatus, 3);
    EXPECT_EQ(uninstall.err, "veltronactl: The VPN server could not be stopped, so its files were left in place.\n");
    EXPECT_TRUE(mac.jobLoaded());
    EXPECT_TRUE(mac.installed()) << "the files of a loaded job stay";
    EXPECT_TRUE(mentions(mac.run({"status"}).out, "Installed:       yes\n"));
}

TEST_F(CliFailures, SettingsTheServerCannotUseAreRefusedBeforeAnythingIsWritten)
{
    const ProcessRun set = mac.run({"settings", "set", "range=foo-$(id)", "dns=not an ip"});
    EXPECT_EQ(set.exitStatus, 1);
    EXPECT_EQ(set.err, "veltronactl: range: \"foo\" is not an IPv4 address.\n");
    EXPECT_FALSE(mac.installed());
    const ProcessRun dns = mac.run({"settings", "set", "dns=not an ip"});
    EXPECT_EQ(dns.exitStatus, 1);
    EXPECT_EQ(dns.err, "veltronactl: dns: \"not an ip\" is not an IP address.\n");
}

TEST_F(CliFailures, NoCommandRunAsRootSeesTheAdministratorsPassword)
{
    const fs::path seen = mac.root() / "seen-environment";
    wrapTool(mac.root() / "bin/launchctl", "env > '" + seen.string() + "'");
    ASSERT_EQ(mac.run({"start"}, "", {{"VELTRONA_ADMIN_PASSWORD", "secret"}}).exitStatus, 0);
    const std::string environment = readText(seen);
    EXPECT_TRUE(mentions(environment, "PATH=")) << environment;
    EXPECT_FALSE(mentions(environment, "VELTRONA_ADMIN_PASSWORD")) << environment;
}

// A web server that accepts connections (the kernel completes them) and never answers.
class SilentServer {
public:
    SilentServer()
    {
        socket_ = boundLoopbackSocket(SOCK_STREAM, port_);
        if (socket_ >= 0 && ::listen(socket_, 8) != 0) {
            ::close(socket_);
            socket_ = -1;
        }
    }
    ~SilentServer()
    {
        if (socket_ >= 0)
            ::close(socket_);
    }
    bool listening() const { return socket_ >= 0; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

private:
    int socket_ = -1;
    int port_ = 0;
};

TEST_F(CliFailures, ASilentWebSiteIsAFailedCheckWithinItsTimeLimit)
{
    SilentServer site;
    ASSERT_TRUE(site.listening());
    const auto start = std::chrono::steady_clock::now();
    const ProcessRun check = mac.run({"check-update"}, "", {{"VELTRONA_WEB_SITE", site.base()}});
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    EXPECT_EQ(check.exitStatus, 3);
    EXPECT_TRUE(mentions(check.err, "/usr/bin/curl did not end within 20000 ms and was ended\n")) << check.err;
    EXPECT_TRUE(
        check.err.ends_with("veltronactl: Unable to check for updates\nThe Veltrona web site could not be reached.\n"))
        << check.err;
}

// The processes whose command line mentions `text`, by pid.
std::vector<pid_t> processesMentioning(const std::string& text)
{
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename();
        if (name.find_first_not_of("0123456789") != std::string::npos)
            continue;
        std::ifstream file(entry.path() / "cmdline", std::ios::binary);
        const std::string commandLine((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        if (mentions(commandLine, text))
            found.push_back(std::stoi(name));
    }
    return found;
}

TEST_F(CliFailures, EndingVeltronactlEndsItsPrivilegedChild)
{
    SilentServer site;
    ASSERT_TRUE(site.listening());
    std::vector<std::string> environment{"VELTRONA_PLATFORM_ROOT=" + mac.root().string(),
                                         "VELTRONA_ADMIN_PASSWORD=" + std::string(kTestAdminPassword),
                                         "VELTRONA_WEB_SITE=" + site.base(), "PATH=/usr/bin:/bin"};
    std::vector<char*> envp;
    for (std::string& variable : environment)
        envp.push_back(variable.data());
    envp.push_back(nullptr);

    for (const int signal : {SIGTERM, SIGINT}) {
        const std::string program = (builtPlatformTool().parent_path() / "veltronactl").string();
        std::vector<std::string> words{program, "check-update"};
        char* argv[] = {words[0].data(), words[1].data(), nullptr};
        pid_t cli = -1;
        ASSERT_EQ(::posix_spawn(&cli, program.c_str(), nullptr, nullptr, argv, envp.data()), 0);

        // curl, run as root through shellTool, waits on the silent site.
        std::vector<pid_t> fetching;
        for (int i = 0; i < 250 && fetching.empty(); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            fetching = processesMentioning(site.base());
        }
        EXPECT_FALSE(fetching.empty()) << "curl never started";
        ::kill(cli, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(cli, &status, 0), cli);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << "veltronactl ends by the signal";

        for (int i = 0; i < 100 && !processesMentioning(site.base()).empty(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const std::vector<pid_t> left = processesMentioning(site.base());
        EXPECT_TRUE(left.empty()) << "a child outlived veltronactl (signal " << signal << ")";
        for (const pid_t pid : left)
            ::kill(pid, SIGKILL);
    }
}

} // namespace
} // namespace veltrona::test
