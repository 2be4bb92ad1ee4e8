// The version gate, alone and as the start of the program: only 10.11 passes, and a failure
// shows its alert, quits, and lets nothing else run.
#include "app/VersionGate.h"
#include "app/Application.h"
#include "app/Interaction.h"
#include "app/UserDefaults.h"
#include "app/WindowController.h"
#include "platform/emulated/SystemVersion.h"
#include "tests/app/AppTestBed.h"
#include "tests/support/FixedProcessInfo.h"
#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

struct GateCase {
    const char* versionString;
    bool passes;
};

void PrintTo(const GateCase& c, std::ostream* out)
{
    *out << '"' << c.versionString << '"';
}

class VersionGate : public ::testing::TestWithParam<GateCase> { };

TEST_P(VersionGate, PassesOnlyElCapitan)
{
    EXPECT_EQ(versionGatePasses(GetParam().versionString), GetParam().passes) << GetParam().versionString;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, VersionGate,
    ::testing::Values(GateCase{"Version 10.11.6 (Build 15G31)", true}, GateCase{"Version 10.11 (Build 15A284)", true},
                      GateCase{"Version 10.11.0 (Build 15A284)", true},
                      GateCase{"Version 10.11.12 (Build 15Z99)", true},
                      GateCase{"Version 10.10.5 (Build 14F27)", false}, GateCase{"Version 10.12 (Build 16A323)", false},
                      GateCase{"Version 10.1.1 (Build 5Q45)", false}, GateCase{"Version 10 (Build 1A1)", false},
                      GateCase{"Version (Build 15G31)", false}, GateCase{"10.11.6", false}, GateCase{"", false}));

TEST(ClassInitialisation, FailedGateBeepsShowsTheAlertQuitsAndRegistersNothing)
{
    TempDir folder;
    UserDefaults defaults(folder / "defaults.plist");
    Interaction interaction(Interaction::Mode::Scripted);

    EXPECT_FALSE(WindowController::initialize(FixedProcessInfo("Version 10.12 (Build 16A323)"), defaults, interaction));

    EXPECT_EQ(interaction.beepCount(), 1);
    ASSERT_EQ(interaction.alerts().size(), 1);
    const AlertRecord& alert = interaction.alerts().front();
    EXPECT_EQ(alert.messageText, QStringLiteral("This version of Veltrona will only run on Mac OS X El Capitan"));
    EXPECT_EQ(alert.informativeText, QStringLiteral("Sorry. The application will now quit."));
    EXPECT_EQ(alert.buttons, QStringList{QStringLiteral("OK")});
    EXPECT_FALSE(alert.asSheet);
    EXPECT_EQ(interaction.terminateCount(), 1);
    EXPECT_FALSE(defaults.hasInitialValues());
}

TEST(ClassInitialisation, PassedGateRegistersTheFourInitialValuesQuietly)
{
    TempDir folder;
    UserDefaults defaults(folder / "defaults.plist");
    Interaction interaction(Interaction::Mode::Scripted);

    EXPECT_TRUE(WindowController::initialize(FixedProcessInfo("Version 10.11.6 (Build 15G31)"), defaults, interaction));

    EXPECT_EQ(interaction.beepCount(), 0);
    EXPECT_TRUE(interaction.alerts().isEmpty());
    EXPECT_EQ(defaults.stringForKey("savePath"), "~");
    for (const char* key : {"saveMobileConfigFile", "signMobileConfigFile", "signMobileConfigFileEnabled"})
        EXPECT_EQ(defaults.stringForKey(key), "0") << key;
    // Registering writes nothing: only values the user changes are stored.
    EXPECT_FALSE(std::filesystem::exists(folder / "defaults.plist"));
}

TEST(ClassInitialisation, NothingElseRunsAfterAFailedGate)
{
    AppTestBed bed;
    FixedProcessInfo tooNew("Version 10.12.1 (Build 16B2555)");
    AppServices services = bed.services();
    AppServices failing{
        services.paths,         tooNew,       services.authorization, services.keychain,    services.dynamicStore,
        services.notifications, services.log, services.defaults,      services.interaction, services.resourceDirectory,
        services.commandRunner};

    EXPECT_EQ(startApplication(failing), nullptr);

    EXPECT_EQ(bed.interaction.alerts().size(), 1);
    EXPECT_TRUE(bed.recorder.runs().empty());
    EXPECT_TRUE(bed.log.lines.empty());
    EXPECT_FALSE(std::filesystem::exists(bed.installationDirectory()));
}

// A run that makes a picture or measures the start has nobody to click the alert away: it says
// why on standard error and ends at once, unsuccessfully.
TEST(ClassInitialisation, AnUnattendedRunTellsAFailedGateAndEnds)
{
    TempPlatformRoot mac;
    ASSERT_TRUE(writeSystemVersion(mac.root(), {"10.12.1", "16B2555"}).ok());
    const std::filesystem::path program = builtMacToolsFolder().parent_path() / "Veltrona";
    for (const char* option : {"--quit-when-ready", "--screenshot"}) {
        std::vector<std::string> arguments{"60", program.string(), "--platform-root", mac.root().string(), option};
        if (std::string(option) == "--screenshot")
            arguments.push_back((mac.folder() / "window.png").string());
        const ProcessRun run = runProgram("timeout", arguments, {{"QT_QPA_PLATFORM", "offscreen"}});
        EXPECT_NE(run.exitStatus, 0) << option;
        EXPECT_NE(run.exitStatus, 124) << option << " waited for a click";
        EXPECT_NE(run.err.find("This version of Veltrona will only run on Mac OS X El Capitan"), std::string::npos)
            << option << ": " << run.err;
    }
}

} // namespace
} // namespace veltrona::test
