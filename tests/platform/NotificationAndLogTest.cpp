// Posted notifications land in the root's log; the system log writes NSLog's line.

#include "platform/emulated/NotificationCenterEmulated.h"
#include "platform/emulated/SystemLogStderr.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <unistd.h>

namespace veltrona::test {
namespace {

TEST(NotificationCenterTest, PostedNamesAreRecordedOneALine)
{
    TempDir dir;
    NotificationCenterEmulated center{PlatformPaths(dir.path())};
    EXPECT_TRUE(center.postNotificationName("com.apple.UserWasRemovedNotification"));
    EXPECT_TRUE(center.postNotificationName("com.apple.UserWasRemovedNotification"));
    for (const char* bad : {"", "two\nlines", "tab\there"})
        EXPECT_FALSE(center.postNotificationName(bad)) << bad;
    EXPECT_EQ(readText(dir / "var/log/veltrona-notifications.log"),
              "com.apple.UserWasRemovedNotification\ncom.apple.UserWasRemovedNotification\n");
}

TEST(SystemLogTest, WritesOneNSLogLine)
{
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    SystemLogStderr log("Veltrona", fds[1]);
    log.log("error = The specified item could not be found in the keychain.");
    ::close(fds[1]);
    std::string line;
    char buffer[512];
    for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        line.append(buffer, static_cast<std::size_t>(n));
    ::close(fds[0]);
    const std::regex shape(
        R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.\d{3} Veltrona\[(\d+):\d+\] error = The specified item could not be found in the keychain\.\n)");
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, shape)) << line;
    EXPECT_EQ(match[1].str(), std::to_string(::getpid()));
}

TEST(SystemLogTest, MillisecondsArePaddedToThreeDigits)
{
    const SystemLogStderr log("Veltrona");
    const auto when =
        std::chrono::system_clock::time_point(std::chrono::seconds(1'000'000'000)) + std::chrono::milliseconds(7);
    const std::string line = log.formatLine("can't find file", when);
    EXPECT_TRUE(std::regex_match(
        line, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d\.007 Veltrona\[\d+:\d+\] can't find file\n)")))
        << line;
}

} // namespace
} // namespace veltrona::test
