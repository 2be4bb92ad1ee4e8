#include "tests/app/AppTestBed.h"

#include "app/Application.h"
#include "app/WindowController.h"
#include "platform/PlatformRoot.h"

#include <QLineEdit>
#include <gtest/gtest.h>

#include <cstdlib>
#include <stdexcept>

namespace veltrona::test {

std::filesystem::path builtResourceDirectory()
{
    if (const char* build = std::getenv("VELTRONA_BUILD_DIR"); build && *build)
        return std::filesystem::path(build) / "bin" / "Resources";
    return std::filesystem::read_symlink("/proc/self/exe").parent_path() / "Resources";
}

AppTestBed::AppTestBed(Commands commands, Interaction::Mode mode)
    : paths(platform.root()), processInfo(paths, "Veltrona"), authorization(paths),
      keychain(paths, processInfo.userName()),
      defaults(paths.map("/Users/admin/Library/Preferences/com.brantholm.Veltrona.plist")), interaction(mode),
      commands(commands)
{
    namespace fs = std::filesystem;
    const fs::path built = builtResourceDirectory();
    fs::copy_file(built / "shellTool", resourceFolder / "shellTool");
    fs::copy(built / "VPNStuff", resourceFolder / "VPNStuff", fs::copy_options::recursive);
    // shellTool and the stand-in tools find the emulated Mac through the environment.
    if (const char* previous = std::getenv(kPlatformRootVariable)) {
        hadRoot_ = true;
        previousRoot_ = previous;
    }
    ::setenv(kPlatformRootVariable, platform.root().c_str(), 1);
}

AppTestBed::~AppTestBed()
{
    controller_.reset();
    if (hadRoot_)
        ::setenv(kPlatformRootVariable, previousRoot_.c_str(), 1);
    else
        ::unsetenv(kPlatformRootVariable);
}

WindowController& AppTestBed::makeLoggedInController()
{
    WindowController& window = makeController();
    window.administratorField->setText(QString::fromLatin1(kTestAdminName));
    window.passwordField->setText(QString::fromLatin1(kTestAdminPassword));
    EXPECT_EQ(window.shouldAccessBeGranted(), 0) << "the administrator could not log in";
    return window;
}

void AppTestBed::destroyController()
{
    controller_.reset();
}

AppServices AppTestBed::services()
{
    return AppServices{paths,
                       processInfo,
                       authorization,
                       keychain,
                       dynamicStore,
                       notifications,
                       log,
                       defaults,
                       interaction,
                       resourceFolder.path().string(),
                       commands == Commands::Recorded ? &recorder : nullptr};
}

WindowController& AppTestBed::makeController()
{
    controller_.reset();
    controller_ = startApplication(services());
    if (!controller_)
        throw std::runtime_error("the emulated Mac did not pass the version gate");
    return *controller_;
}

std::filesystem::path AppTestBed::installationDirectory() const
{
    return paths.map("/usr/local/quillfen/vpn");
}

} // namespace veltrona::test
