// Every command the server files and the server control hand to the runner, compared whole.

#include "platform/ShellWord.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/ShellRunner.h"
#include "vpnserver/MoveScripts.h"
#include "vpnserver/ServerControl.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using Arguments = std::vector<std::string>;

const PlatformPaths kMac; // empty root: the real Mac's own paths

TEST(CommandText, MoveScriptsOnTheMac)
{
    EXPECT_EQ(serverFileMoveScript(kMac),
              "fileAtPath=$1\n\nmv \"$fileAtPath\" /usr/local/quillfen/vpn\n\n"
              "sudo chown root:wheel /usr/local/quillfen/vpn/com.apple.RemoteAccessServers.plist");
    EXPECT_EQ(jobFileMoveScript(kMac), "fileAtPath=$1\n\nmv \"$fileAtPath\" /usr/local/quillfen/vpn\n\n"
                                       "sudo chown root:wheel /usr/local/quillfen/vpn/com.brantholm.vpn.plist");
    EXPECT_EQ(moveScriptArguments("S", "/Res dir/it's $x"), (Arguments{"/bin/sh", "-c", "S", "", "/Res dir/it's $x"}));
}

TEST(CommandText, ServerControlOnTheMac)
{
    struct Case {
        const char* name;
        void (*run)(CommandRunner&);
        const char* expected;
    };
    const Case cases[] = {
        {"start", [](CommandRunner& r) { runStartCommand(r, kMac); },
         "launchctl load -w /Library/LaunchDaemons/com.brantholm.vpn.plist"},
        {"stop", [](CommandRunner& r) { runStopCommand(r, kMac); },
         "launchctl unload -w /Library/LaunchDaemons/com.brantholm.vpn.plist"},
        {"probe", [](CommandRunner& r) { isJobLoaded(r); },
         "(test `launchctl list | grep com.brantholm.vpn | awk '{print $3}'`) && echo YES"},
    };
    for (const Case& c : cases) {
        RecordingRunner runner;
        c.run(runner);
        ASSERT_EQ(runner.runs().size(), 1u) << c.name;
        EXPECT_EQ(runner.runs()[0], (Arguments{"/bin/sh", "-c", c.expected})) << c.name;
    }
}

TEST(CommandText, MappedRootsStayOneWord)
{
    const PlatformPaths plain("/tmp/root/");
    EXPECT_EQ(startCommand(plain), "launchctl load -w /tmp/root/Library/LaunchDaemons/com.brantholm.vpn.plist");
    EXPECT_EQ(stopCommand(plain), "launchctl unload -w /tmp/root/Library/LaunchDaemons/com.brantholm.vpn.plist");

    const PlatformPaths awkward("/home/Jo O'Neil/root");
    EXPECT_EQ(startCommand(awkward),
              "launchctl load -w '/home/Jo O'\\''Neil/root/Library/LaunchDaemons/com.brantholm.vpn.plist'");
    EXPECT_EQ(jobFileMoveScript(awkward),
              "fileAtPath=$1\n\nmv \"$fileAtPath\" '/home/Jo O'\\''Neil/root/usr/local/quillfen/vpn'\n\n"
              "sudo chown root:wheel '/home/Jo O'\\''Neil/root/usr/local/quillfen/vpn/com.brantholm.vpn.plist'");
}

TEST(CommandText, ShellWordReachesTheShellUnchanged)
{
    // Words the shell reads as they stand are left alone, so the Mac's texts stay exact.
    for (const char* plain : {"/usr/local/quillfen/vpn", "/a-b_c/d.e+f:g,h@i%j", "/Users/j\xC3\xBCrgen\xE2\x80\xAF"})
        EXPECT_EQ(shellWord(plain), plain);

    ShellRunner shell("/nonexistent");
    for (const char* text : {"/plain/path", "", "a b", "$HOME", "it's", "`x`;rm -rf z", "\\n\"q\"", "tab\there", "*",
                             "\xC3\xA9 \xC3\xA9", "j\xC3\xBCrgen\xE2\x80\xAFx"}) {
        shell.setArgs({"/bin/sh", "-c", "printf '%s|' " + shellWord(text)});
        EXPECT_EQ(shell.startProcessGetResult(), text) << text;
    }
}

} // namespace
} // namespace veltrona::test
