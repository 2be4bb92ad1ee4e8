// Closing the main window: the close button and Ctrl+W ask, "Quit" ends the program, "Cancel"
// keeps everything; the Quit menu item ends it without asking; quitting leaves the emulated Mac
// exactly as it was.
#include "app/AlertDialog.h"
#include "app/Application.h"
#include "app/MainWindow.h"
#include "app/WindowController.h"
#include "platform/emulated/LaunchdState.h"
#include "tests/app/AlertShown.h"
#include "tests/app/AppTestBed.h"
#include "tests/app/RootListing.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>

#include <algorithm>
#include <functional>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

using namespace Qt::StringLiterals;

// The window manager's close button: a close event for the window that is not of the program's making.
void pressCloseButton(MainWindow* window)
{
    QCloseEvent close;
    QCoreApplication::sendEvent(window->windowHandle(), &close);
}

void pressKeys(MainWindow* window, Qt::Key key)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    QTest::keyClick(window, key, Qt::ControlModifier);
}

const std::string kQuestion = "Alert | Closing the window will quit the application. | Quit,Cancel | sheet";

struct CloseCase {
    const char* name;
    std::function<void(MainWindow*)> request;
    std::optional<int> answer; // nothing: no question is to be asked
    int terminated;
};

TEST(WindowClosing, EachRoadAndAnswer)
{
    const auto closeButton = [](MainWindow* window) { pressCloseButton(window); };
    const auto controlW = [](MainWindow* window) { pressKeys(window, Qt::Key_W); };
    const CloseCase cases[] = {
        {"close button, Cancel", closeButton, 1001, 0},
        {"close button, Quit", closeButton, 1000, 1},
        {"Ctrl+W, Cancel", controlW, 1001, 0},
        {"Ctrl+W, Quit", controlW, 1000, 1},
        {"Ctrl+Q", [](MainWindow* window) { pressKeys(window, Qt::Key_Q); }, std::nullopt, 1},
    };
    for (const CloseCase& c : cases) {
        SCOPED_TRACE(c.name);
        AppTestBed bed;
        WindowController& window = bed.makeController();
        window.vpnHostField->setText(u"vpn.example.org"_s);
        if (c.answer)
            bed.interaction.queueAlertAnswer(*c.answer);

        c.request(window.window());

        if (c.answer) {
            ASSERT_EQ(bed.interaction.alerts().size(), 1);
            EXPECT_EQ(alertShown(bed.interaction.alerts().front()), kQuestion);
        } else {
            EXPECT_EQ(bed.interaction.alerts().size(), 0);
        }
        EXPECT_EQ(bed.interaction.terminateCount(), c.terminated);
        // The window never closes by itself: it goes when the program ends.
        EXPECT_TRUE(window.window()->isVisible());
        EXPECT_EQ(window.vpnHostField->text(), u"vpn.example.org"_s);
        EXPECT_TRUE(bed.recorder.runs().empty());
    }
}

TEST(WindowClosing, TheQuestionIsASheetOnTheWindowAndEscapeCancels)
{
    AppTestBed bed;
    Interaction interactive(Interaction::Mode::Interactive);
    AppServices services = bed.services();
    std::unique_ptr<WindowController> window =
        startApplication(AppServices{services.paths, services.processInfo, services.authorization, services.keychain,
                                     services.dynamicStore, services.notifications, services.log, services.defaults,
                                     interactive, services.resourceDirectory, services.commandRunner});
    ASSERT_NE(window, nullptr);

    pressCloseButton(window->window());
    // AlertDialog has no meta-object of its own: find it among the window's dialogs by its type.
    QList<AlertDialog*> shown;
    for (QDialog* dialog : window->window()->findChildren<QDialog*>()) {
        if (auto* alert = dynamic_cast<AlertDialog*>(dialog))
            shown.append(alert);
    }
    ASSERT_EQ(shown.size(), 1);
    AlertDialog* question = shown.front();
    EXPECT_TRUE(question->isVisible());
    EXPECT_EQ(question->windowModality(), Qt::WindowModal);
    QStringList announced;
    QPushButton* byDefault = nullptr;
    for (QPushButton* button : question->findChildren<QPushButton*>()) {
        announced.append(button->accessibleName());
        EXPECT_EQ(button->accessibleName(), button->text());
        if (button->isDefault())
            byDefault = button;
    }
    std::sort(announced.begin(), announced.end());
    EXPECT_EQ(announced, (QStringList{u"Cancel"_s, u"Quit"_s}));
    ASSERT_NE(byDefault, nullptr);
    EXPECT_EQ(byDefault->text(), u"Quit"_s);

    QTest::keyClick(question, Qt::Key_Escape);
    EXPECT_FALSE(question->isVisible());
    EXPECT_EQ(question->result(), 1001);
    EXPECT_EQ(interactive.terminateCount(), 0);
    EXPECT_TRUE(window->window()->isVisible());
}

bool jobLoaded(const PlatformPaths& paths)
{
    const auto jobs = LaunchdState(paths).loadedJobs();
    return jobs && std::any_of(jobs->begin(), jobs->end(), [](const LaunchdJob& job) {
               return job.label == "com.brantholm.vpn";
           });
}

TEST(WindowClosing, QuittingLeavesTheRunningServerAndEveryFile)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    std::unique_ptr<WindowController> window = startApplication(bed.services());
    ASSERT_NE(window, nullptr);
    window->administratorField->setText(u"admin"_s);
    window->passwordField->setText(u"secret"_s);
    ASSERT_EQ(window->shouldAccessBeGranted(), 0);
    window->doStartUpChecks();
    QTest::mouseClick(window->vpnButton, Qt::LeftButton);
    ASSERT_TRUE(jobLoaded(bed.paths));
    // Typed but never started with: quitting must not write it anywhere.
    window->vpnHostField->setText(u"typed.example.org"_s);
    const auto before = everyFileWithContents(bed.platform.root());
    const auto resourcesBefore = everyFileWithContents(bed.resourceFolder.path());

    pressCloseButton(window->window());
    ASSERT_EQ(bed.interaction.terminateCount(), 1);
    EXPECT_EQ(changedEntries(before, everyFileWithContents(bed.platform.root())), std::vector<std::string>{});
    window.reset(); // what the end of the program does to the controller

    EXPECT_TRUE(jobLoaded(bed.paths));
    // All that goes is the runner's live authorization, freed as the process ends on a Mac, and
    // the run's own empty folder for temporary copies.
    const std::vector<std::string> changed = changedEntries(before, everyFileWithContents(bed.platform.root()));
    ASSERT_EQ(changed.size(), 2U);
    EXPECT_EQ(changed[0].rfind("- private/tmp/veltrona.", 0), 0U) << changed[0];
    EXPECT_EQ(changed[1].rfind("- var/run/authorization/", 0), 0U) << changed[1];
    EXPECT_EQ(changedEntries(resourcesBefore, everyFileWithContents(bed.resourceFolder.path())),
              std::vector<std::string>{});
}

} // namespace
} // namespace veltrona::test
