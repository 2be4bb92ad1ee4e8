#pragma once
// A window controller on a fresh emulated Mac (administrator "admin", "Admin User", password
// "secret"), with alerts answered by script, a log that keeps its lines, and a resource
// directory of its own holding shellTool and VPNStuff copied from the build.

#include "app/AppServices.h"
#include "app/Interaction.h"
#include "app/UserDefaults.h"
#include "platform/emulated/AuthorizationServicesEmulated.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "platform/emulated/KeychainServicesEmulated.h"
#include "platform/emulated/NotificationCenterEmulated.h"
#include "platform/emulated/ProcessInfoEmulated.h"
#include "services/Keychain.h"
#include "tests/app/QtPrinting.h"
#include "tests/support/RecordingLog.h"
#include "tests/support/RecordingRunner.h"
#include "tests/support/TempDir.h"
#include "tests/support/TempPlatformRoot.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace veltrona {
class WindowController;
}

namespace veltrona::test {

// The build's application resource directory (bin/Resources).
std::filesystem::path builtResourceDirectory();

class AppTestBed {
public:
    enum class Commands { Recorded, RunAsRoot };
    // Interactive shows real alert dialogs, for tests that answer them with the keyboard.
    explicit AppTestBed(Commands commands = Commands::Recorded, Interaction::Mode mode = Interaction::Mode::Scripted);
    ~AppTestBed();

    AppServices services();
    // A controller made as the framework makes it (class initialised, window shown).
    WindowController& makeController();
    WindowController& controller() { return *controller_; }
    // The same, logged in from the sheet as the emulated Mac's administrator; a failed login is a
    // test failure.
    WindowController& makeLoggedInController();
    // As the program's end does: the controller and everything it holds go.
    void destroyController();

    // The password store as the controller uses it.
    Keychain passwordStore() { return Keychain(keychain, processInfo, log); }
    std::filesystem::path installationDirectory() const;

    TempPlatformRoot platform{TempPlatformRoot::Tools::Copy};
    TempDir resourceFolder;
    PlatformPaths paths;
    ProcessInfoEmulated processInfo;
    AuthorizationServicesEmulated authorization;
    KeychainServicesEmulated keychain;
    DynamicStoreEmulated dynamicStore{paths};
    NotificationCenterEmulated notifications{paths};
    RecordingLog log;
    UserDefaults defaults;
    Interaction interaction;
    RecordingRunner recorder;
    Commands commands;

private:
    std::unique_ptr<WindowController> controller_;
    std::string previousRoot_;
    bool hadRoot_ = false;
};

} // namespace veltrona::test
