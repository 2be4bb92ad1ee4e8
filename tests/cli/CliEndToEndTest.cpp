// veltronactl end to end: the built program run as a child process on an emulated Mac, through
// the real shellTool and stand-in tools. Each row is one command of a session, in order; it
// checks the exit code, what the program printed (--json rows their JSON shape) and the
// platform's state afterwards, read without the program.
#include "platform/emulated/DirectoryAuthentication.h"
#include "tests/cli/CliMac.h"
#include "tests/support/FileText.h"

#include <gtest/gtest.h>

#include <functional>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

struct Step {
    std::vector<std::string> arguments;
    std::string input;
    int exitCode;
    // Each must appear in standard output (exit 0) or standard error (otherwise); with --json
    // everything is on standard output.
    std::vector<std::string> printed;
    std::function<bool(const CliMac&)> after = nullptr;
};

bool passwordIs(const CliMac& mac, const std::string& user, const std::string& password)
{
    return authenticateUser(Directory(mac.root()), user, password, "").has_value();
}

std::string desktopFile(const CliMac& mac, const std::string& name)
{
    return (mac.root() / "Users/admin/Desktop" / name).string();
}

TEST(CliEndToEnd, EveryCommandOnOneEmulatedMac)
{
    if (!CliMac::available())
        FAIL() << "veltronactl, shellTool or the stand-in tools are not where the build puts them: a path look-up is "
                  "broken";
    CliMac mac;
    const std::string savedProfile = (mac.root().parent_path() / "alice.mobileconfig").string();
    const auto notInstalled = [](const CliMac& m) { return !m.installed() && !m.jobLoaded(); };
    const auto running = [](const CliMac& m) { return m.installed() && m.jobLoaded(); };

    const std::vector<Step> steps = {
        {{"status"}, "", 0, {"Installed:       no", "Job loaded:      no", "VPN accounts:    0"}, notInstalled},
        {{"status", "--json"},
         "",
         0,
         {R"({"ok":true,"exitCode":0,"installed":false,"type":"","loaded":false,"serving":{"active":false,"detail":"the server is stopped"},"settings":{"type":"")",
          R"("sharedSecretSet":false},"accounts":0})"}},
        // A refused change installs nothing.
        {{"settings", "set", "host=a", "type=IKEv2"}, "", 1, {"The VPN type is L2TP or PPTP"}, notInstalled},
        {{"start"}, "", 0, {"The VPN server is running."}, running},
        {{"start", "--json"}, "", 0, {R"({"ok":true,"exitCode":0,"action":"start","changed":false,"running":true})"}},
        {{"settings", "set", "host=vpn.example.org", "dns=1.1.1.1,8.8.8.8", "range=10.0.0.224-10.0.0.254"},
         "",
         0,
         {"Host:            vpn.example.org", "take effect at the next restart"},
         [](const CliMac& m) { return m.installedHost() == "vpn.example.org" && m.jobLoaded(); }},
        {{"settings", "--json"},
         "",
         0,
         {R"("settings":{"type":"L2TP","host":"vpn.example.org","dns":"1.1.1.1, 8.8.8.8","domains":"",)"
          R"("rangeStart":"10.0.0.224","rangeEnd":"10.0.0.254","sharedSecretSet":false})"}},
        {{"settings", "set", "type=pptp", "--apply"}, "", 0, {"Type:            PPTP", "restarted"}, running},
        {{"settings", "set", "range=10.0.0.1"}, "", 1, {"A range is START-END"}},
        {{"secret", "set"},
         "Sesame42\n",
         0,
         {"The shared secret is stored."},
         [](const CliMac& m) { return m.systemKeychain().find("com.apple.net.racoon") != std::string::npos; }},
        {{"secret", "set"}, "bad secret!\n", 1, {"A shared secret may hold only letters, marks and digits."}},
        {{"status", "--json"}, "", 0, {R"("type":"PPTP","loaded":true,)", R"("sharedSecretSet":true)"}},
        // Issue 17: a name the entry filter would change is refused, not changed.
        {{"users", "add", "Alice"},
         "pw one\n",
         1,
         {"An account name may hold only lower-case letters, marks and digits."},
         [](const CliMac& m) { return !m.hasUser("alice"); }},
        {{"users", "add", "alice"},
         "pw one\n",
         0,
         {"The VPN user alice is created."},
         [](const CliMac& m) {
             return m.hasUser("alice") && passwordIs(m, "alice", "pw one")
                    && m.notifications().find("com.apple.UserWasRemovedNotification") != std::string::npos;
         }},
        {{"users", "add", "alice"}, "x\n", 1, {"Account Name is used by another user."}},
        {{"users", "add", "bob"},
         "one\ntwo\n",
         1,
         {"Passwords do not match."},
         [](const CliMac& m) { return !m.hasUser("bob"); }},
        {{"users", "add", "bob"}, "\n", 1, {"Entry fields cannot be empty."}},
        {{"users", "add", "bob smith"},
         "pw\n",
         1,
         {"An account name may hold only lower-case letters, marks and digits."}},
        // Issue 17: too long is refused before anything runs, saying what and the limit.
        {{"users", "add", std::string(250, 'b')},
         "pw\n",
         1,
         {"The Account Name is longer than 64 characters."},
         [](const CliMac& m) { return !m.hasUser(std::string(250, 'b')); }},
        {{"users", "add", "bob"},
         std::string(60 * 1024, 'p') + "\n",
         1,
         {"The password is longer than 1024 characters."},
         [](const CliMac& m) { return !m.hasUser("bob"); }},
        {{"users", "--json"}, "", 0, {R"({"ok":true,"exitCode":0,"users":[{"userName":"alice","userHidden":"1"}]})"}},
        // Blanks at the ends are stripped, as creation strips them.
        {{"users", "passwd", "alice"},
         "it's new \nit's new \n",
         0,
         {"The password of alice is changed."},
         [](const CliMac& m) { return passwordIs(m, "alice", "it's new"); }},
        {{"users", "passwd", "alice"}, "\nx\n", 1, {"Password fields cannot be empty."}},
        {{"users", "passwd", "admin"},
         "x\n",
         1,
         {"There is no VPN user named admin."},
         [](const CliMac& m) { return passwordIs(m, "admin", kTestAdminPassword); }},
        {{"profile", "alice", "-o", savedProfile, "--json"},
         "",
         0,
         {R"("file":")", R"(,"signed":false})"},
         [&](const CliMac&) {
             const std::string text = readText(savedProfile);
             return text.find("<string>alice</string>") != std::string::npos
                    && text.find("VPN (vpn.example.org) PPTP") != std::string::npos;
         }},
        {{"profile", "alice", "--password-stdin"},
         "pw\n",
         0,
         {"Wrote ", "alice.PPTP.mobileconfig"},
         [](const CliMac& m) { return fs::exists(desktopFile(m, "alice.PPTP.mobileconfig")); }},
        {{"profile", "alice", "--sign"}, "", 1, {"There is no certificate and key to sign with"}},
        {{"profile", "nobody"}, "", 1, {"There is no VPN user named nobody."}},
        {{"profile", "alice", "-o", savedProfile, "--sign"}, "", 1, {"never signed"}},
        {{"users", "delete", "admin", "--yes"},
         "",
         1,
         {"The user (admin) is an admin user."},
         [](const CliMac& m) { return m.hasUser("admin"); }},
        {{"users", "delete", "alice"},
         "",
         1,
         {"Are you sure you want to delete this VPN User (alice)?", "--yes"},
         [](const CliMac& m) { return m.hasUser("alice"); }},
        {{"users", "delete", "alice", "--yes", "--json"},
         "",
         0,
         {R"({"ok":true,"exitCode":0,"userName":"alice"})"},
         [](const CliMac& m) { return !m.hasUser("alice"); }},
        {{"stop"}, "", 0, {"The VPN server is stopped."}, [](const CliMac& m) { return !m.jobLoaded(); }},
        {{"stop", "--json"}, "", 0, {R"("action":"stop","changed":false,"running":false)"}},
        {{"restart"}, "", 0, {"The VPN server is running."}, running},
        {{"uninstall"}, "", 1, {"Are you sure you want to de-install Veltrona?"}, running},
        {{"uninstall", "--yes", "--json"}, "", 0, {R"({"ok":true,"exitCode":0,"installed":false})"}, notInstalled},
        {{"bogus"}, "", 1, {"Unknown command bogus."}},
        {{"users", "add"}, "", 1, {"Usage: veltronactl users add NAME"}},
        {{"--json", "users", "delete", "x", "--apply"},
         "",
         1,
         {R"({"ok":false,"exitCode":1,"error":"--apply does not go with users delete NAME --yes."})"}},
        {{"--password=x", "status"}, "", 1, {"Passwords are never taken as arguments"}},
    };

    for (const Step& step : steps) {
        std::string command;
        for (const std::string& argument : step.arguments)
            command += argument + " ";
        SCOPED_TRACE(command);
        const ProcessRun run = mac.run(step.arguments, step.input);
        EXPECT_EQ(run.exitStatus, step.exitCode) << run.out << run.err;
        const bool json = std::find(step.arguments.begin(), step.arguments.end(), "--json") != step.arguments.end();
        const std::string& printed = json || step.exitCode == 0 ? run.out : run.err;
        for (const std::string& text : step.printed)
            EXPECT_NE(printed.find(text), std::string::npos) << "missing: " << text << "\nprinted: " << printed;
        if (json) {
            EXPECT_TRUE(run.out.starts_with("{") && run.out.ends_with("}\n")) << run.out;
        }
        if (step.after) {
            EXPECT_TRUE(step.after(mac)) << "the platform's state after it";
        }
    }
}

} // namespace
} // namespace veltrona::test
