// The window's runner: one TaskWrapper made at launch, whose waits keep the event loop turning
// (so the window paints) without handing it user input.
#include "app/WindowController.h"
#include "services/TaskWrapper.h"
#include "tests/app/AppTestBed.h"

#include <QLineEdit>
#include <QTimer>

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

TEST(RunnerWiring, TheWindowKeepsProcessingEventsWhileACommandRuns)
{
    AppTestBed bed(AppTestBed::Commands::RunAsRoot);
    WindowController& window = bed.makeController();
    window.applicationDidFinishLaunching();
    window.passwordField->setText(QStringLiteral("secret"));
    ASSERT_EQ(window.shouldAccessBeGranted(), 0);
    TaskWrapper* made = window.unixTask.get();

    bool timerRanDuringTheRun = false;
    QTimer::singleShot(20, [&] { timerRanDuringTheRun = window.unixTask->isRunning(); });
    window.runner().setArgs({"/bin/sh", "-c", "sleep 0.4; echo done"});
    EXPECT_EQ(window.runner().startProcessGetResult(), "done");
    EXPECT_TRUE(timerRanDuringTheRun);
    EXPECT_EQ(window.unixTask.get(), made) << "one runner for the whole run of the program";
}

} // namespace
} // namespace veltrona::test
