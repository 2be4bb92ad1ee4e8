// The de-installation's commands compared whole, and the configuration link's removal run by a
// real shell on links of every kind.

#include "platform/PlatformPaths.h"
#include "tests/support/FileText.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/ShellRunner.h"
#include "tests/support/TempDir.h"
#include "vpnserver/DeInstallation.h"
#include "vpnserver/SharedSecret.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;
using Arguments = std::vector<std::string>;

const std::string kMacScript =
    "for i in vpn\n"
    "\n"
    "do \n"
    "\n"
    "(test `/bin/launchctl list | grep com.brantholm.$i | awk '{print $3}'`) && /bin/launchctl unload -w "
    "/Library/LaunchDaemons/com.brantholm.$i.plist\n"
    "\n"
    "rm /Library/LaunchDaemons/com.brantholm.$i.plist\n"
    "\n"
    "done\n"
    "\n"
    "rm -r /usr/local/quillfen/vpn";
const std::string kMacSecretDelete = "sudo security delete-generic-password -a com.apple.ppp.L2TP -s "
                                     "com.apple.net.racoon /Library/Keychains/System.keychain";

TEST(DeInstallationText, CommandsOnTheMacInOrder)
{
    RecordingRunner runner;
    EXPECT_TRUE(deInstall(runner, PlatformPaths()).ok());

    // The job probe first (nothing loaded: no unload of its own), the three removals, then the
    // keychain asked whether the secret is gone.
    ASSERT_EQ(runner.runs().size(), 5u);
    EXPECT_EQ(runner.runs()[0][2], "(test `launchctl list | grep com.brantholm.vpn | awk '{print $3}'`) && echo YES");
    EXPECT_EQ(runner.runs()[1], (Arguments{"/bin/sh", "-c", kMacScript}));
    EXPECT_EQ(runner.runs()[2], (Arguments{"/bin/sh", "-c", kMacSecretDelete}));
    const Arguments& link = runner.runs()[3];
    ASSERT_EQ(link.size(), 6u);
    EXPECT_EQ(Arguments(link.begin() + 3, link.end()),
              (Arguments{"", "/Library/Preferences/SystemConfiguration/com.apple.RemoteAccessServers.plist",
                         "/usr/local/quillfen/vpn"}));
    EXPECT_EQ(runner.runs()[4], (Arguments{"/bin/sh", "-c",
                                           "sudo security find-generic-password -a com.apple.ppp.L2TP -s "
                                           "com.apple.net.racoon -w /Library/Keychains/System.keychain"}));

    // A secret still found afterwards is the failure.
    runner.clear();
    runner.setHandler([](const Arguments& run) -> std::optional<std::string> {
        return run[2].find("find-generic-password") != std::string::npos ? "Secret42" : "";
    });
    EXPECT_EQ(deInstall(runner, PlatformPaths()).message(),
              "The shared secret could not be removed from the System keychain.");
}

// The texts the window shows and veltronactl prints, pinned once: the code's own functions are no
// check of them.
TEST(DeInstallationText, AlertTextsAreTheProgramsOwn)
{
    const AlertText question = deInstallConfirmation();
    EXPECT_EQ(question.messageText, "Are you sure you want to de-install Veltrona?");
    EXPECT_EQ(question.informativeText,
              "This will halt the VPN Server, if it is running, and remove all the files installed by Veltrona.");
    EXPECT_EQ(question.buttons, (std::vector<std::string>{"De-Install", "Cancel"}));

    const AlertText failure = deInstallFailure(Status::failure(3, "The server's files could not all be removed."));
    EXPECT_EQ(failure.messageText, "Veltrona could not be de-installed");
    EXPECT_EQ(failure.informativeText, "The server's files could not all be removed.");
    EXPECT_EQ(failure.buttons, std::vector<std::string>{"OK"});
}

TEST(DeInstallationText, AwkwardRootStaysOneWordAndTheJobNameExpands)
{
    const PlatformPaths awkward("/home/Jo O'Neil/root");
    const std::string q = "'/home/Jo O'\\''Neil/root";
    EXPECT_EQ(deInstallationScript(awkward), "for i in vpn\n\ndo \n\n(test `" + q
                                                 + "/bin/launchctl' list | grep com.brantholm.$i | awk "
                                                   "'{print $3}'`) && "
                                                 + q + "/bin/launchctl' unload -w " + q
                                                 + "/Library/LaunchDaemons/'com.brantholm.$i.plist\n\nrm " + q
                                                 + "/Library/LaunchDaemons/'com.brantholm.$i.plist\n\ndone\n\nrm -r "
                                                 + q + "/usr/local/quillfen/vpn'");
}

enum class LinkKind { IntoDirectory, IntoSiblingDirectory, Elsewhere, PlainFile, Missing };

struct LinkCase {
    const char* name;
    LinkKind kind;
    bool removed;
};

void PrintTo(const LinkCase& c, std::ostream* out)
{
    *out << c.name;
}

class ConfigurationLinkRemoval : public ::testing::TestWithParam<LinkCase> { };

TEST_P(ConfigurationLinkRemoval, OnlyALinkIntoTheDirectoryGoes)
{
    const LinkCase& c = GetParam();
    TempDir temp;
    // A root whose path the shell would split and expand, were it not passed as arguments.
    const PlatformPaths platform(temp / "root $HOME 'x' *");
    const fs::path link = platform.map(kConfigurationLink);
    const fs::path directory = platform.map("/usr/local/quillfen/vpn");
    fs::create_directories(link.parent_path());
    switch (c.kind) {
    case LinkKind::IntoDirectory: fs::create_symlink(directory / "com.apple.RemoteAccessServers.plist", link); break;
    case LinkKind::IntoSiblingDirectory: fs::create_symlink(directory.string() + "2/x.plist", link); break;
    case LinkKind::Elsewhere: fs::create_symlink(temp / "elsewhere.plist", link); break;
    case LinkKind::PlainFile: writeText(link, "<plist/>"); break;
    case LinkKind::Missing: break;
    }
    ShellRunner runner(temp.path().string());
    runner.setArgs(configurationLinkRemovalArguments(platform));

    EXPECT_EQ(runner.startProcessGetResult(), "");
    const bool present = fs::exists(fs::symlink_status(link));
    EXPECT_EQ(present, c.kind != LinkKind::Missing && !c.removed);
    // Nothing else in the folder is touched.
    EXPECT_TRUE(fs::exists(link.parent_path()));
}

INSTANTIATE_TEST_SUITE_P(LinkKinds, ConfigurationLinkRemoval,
                         ::testing::Values(LinkCase{"IntoDirectory", LinkKind::IntoDirectory, true},
                                           LinkCase{"IntoSiblingDirectory", LinkKind::IntoSiblingDirectory, false},
                                           LinkCase{"Elsewhere", LinkKind::Elsewhere, false},
                                           LinkCase{"PlainFile", LinkKind::PlainFile, false},
                                           LinkCase{"Missing", LinkKind::Missing, false}),
                         [](const ::testing::TestParamInfo<LinkCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace veltrona::test
