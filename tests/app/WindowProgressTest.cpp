// The progress indicator shows while the suggestion's look-up, the update check's fetch and the
// de-installation run, and is gone when they end.
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "platform/emulated/DynamicStoreEmulated.h"
#include "services/WebSite.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/ScopedEnvironment.h"

#include <QAction>
#include <QProgressBar>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

// A store with an address and a DNS server, so the suggestion has a look-up to run.
void writeStoreWithDns(const PlatformPaths& paths)
{
    PlistDictionary keys, global, interface, dns;
    global.set("PrimaryInterface", std::string("en0"));
    interface.set("Addresses", stringArray({"192.168.1.37"}));
    dns.set("ServerAddresses", stringArray({"10.0.0.1"}));
    keys.set("State:/Network/Global/IPv4", global);
    keys.set("State:/Network/Interface/en0/IPv4", interface);
    keys.set("State:/Network/Global/DNS", dns);
    const std::filesystem::path file = paths.map(kDynamicStoreFile);
    std::filesystem::create_directories(file.parent_path());
    ASSERT_TRUE(writePlistAtomically(keys, file));
}

TEST(WindowProgress, ShownWhileEachLongActionRuns)
{
    const ScopedEnvironment site(kWebSiteVariable, "http://127.0.0.1:8080");
    const char* items[] = {"suggestIPAddressesAction", "checkForUpdatesAction", "deInstallAction"};
    for (const char* item : items) {
        SCOPED_TRACE(item);
        AppTestBed bed;
        writeStoreWithDns(bed.paths);
        WindowController& window = bed.makeController();
        std::vector<bool> shownDuringRuns;
        bed.recorder.setHandler([&](const RecordingRunner::Arguments&) -> std::optional<std::string> {
            shownDuringRuns.push_back(window.progressIndicator->isVisible());
            return std::nullopt;
        });

        window.window()->findChild<QAction*>(QString::fromLatin1(item))->trigger();

        ASSERT_FALSE(shownDuringRuns.empty());
        EXPECT_EQ(std::count(shownDuringRuns.begin(), shownDuringRuns.end(), false), 0);
        EXPECT_FALSE(window.progressIndicator->isVisible());
    }
}

} // namespace
} // namespace veltrona::test
