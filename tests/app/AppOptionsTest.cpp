// The program's command line.
#include "app/AppOptions.h"
#include "tests/app/QtPrinting.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

QStringList line(std::initializer_list<const char*> words)
{
    QStringList result{QStringLiteral("Veltrona")};
    for (const char* word : words)
        result << QString::fromUtf8(word);
    return result;
}

TEST(AppOptions, UnderstoodOptions)
{
    const AppOptions all = parseAppOptions(line(
        {"--platform-root", "/tmp/my mac", "--login-password-stdin", "--screenshot", "w.png", "--quit-when-ready"}));
    EXPECT_TRUE(all.error.isEmpty());
    EXPECT_EQ(all.platformRoot, QStringLiteral("/tmp/my mac"));
    EXPECT_TRUE(all.loginPasswordFromStdin);
    EXPECT_EQ(all.screenshotFile, QStringLiteral("w.png"));
    EXPECT_TRUE(all.quitWhenReady);

    EXPECT_EQ(parseAppOptions(line({"--platform-root=/r"})).platformRoot, QStringLiteral("/r"));
    const AppOptions none = parseAppOptions(line({}));
    EXPECT_TRUE(none.error.isEmpty());
    EXPECT_FALSE(none.platformRoot.has_value());
}

TEST(AppOptions, MistakesAreNamed)
{
    struct Case {
        std::initializer_list<const char*> words;
        const char* error;
    };
    for (const Case& c :
         {Case{{"--platform-root"}, "--platform-root needs a value."}, Case{{"--bogus"}, "Unknown option --bogus."},
          Case{{"stray"}, "Unexpected argument stray."}, Case{{"--help"}, "help"}}) {
        EXPECT_EQ(parseAppOptions(line(c.words)).error, QString::fromLatin1(c.error));
    }
}

} // namespace
} // namespace veltrona::test
