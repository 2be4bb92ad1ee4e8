// Which folder the program and the tools act on, and which they refuse.

#include "platform/PlatformRoot.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

namespace veltrona::test {
namespace {

namespace fs = std::filesystem;

// Sets (or, with nothing, unsets) an environment variable for the test's duration.
class ScopedVariable {
public:
    ScopedVariable(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            saved_ = old;
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }
    ~ScopedVariable() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

TEST(PlatformRoot, IsJudgedAfterLinksAndDotsAreResolved)
{
    TempDir dir;
    fs::create_directories(dir / "real");
    fs::create_directory_symlink(dir / "real", dir / "link");
    fs::create_directory_symlink("/", dir / "to-slash");
    fs::create_directories(dir / "with:colon");

    EXPECT_EQ(resolvePlatformRoot((dir / "link").string()).root, fs::canonical(dir / "real"));
    EXPECT_EQ(resolvePlatformRoot((dir / "real/../real/.").string()).root, fs::canonical(dir / "real"));
    for (const fs::path& refused : {dir / "to-slash", dir / "to-slash/", fs::path("/"), fs::path("/tmp/.."),
                                    dir / "with:colon", dir / "with:colon/inner"}) {
        const ResolvedRoot resolved = resolvePlatformRoot(refused.string());
        EXPECT_FALSE(resolved.status.ok()) << refused;
        EXPECT_FALSE(resolved.status.message().empty()) << refused;
    }
    EXPECT_NE(resolvePlatformRoot((dir / "with:colon").string()).status.message().find("\":\""), std::string::npos);
}

TEST(PlatformRoot, WithoutAnAbsoluteHomeThereIsNoDefault)
{
    ScopedVariable noRoot(kPlatformRootVariable, std::nullopt);
    ScopedVariable noData("XDG_DATA_HOME", std::nullopt);
    for (const std::optional<std::string>& home :
         {std::optional<std::string>(), std::optional<std::string>(""), std::optional<std::string>("relative/home")}) {
        ScopedVariable variable("HOME", home);
        EXPECT_EQ(defaultPlatformRoot(), std::nullopt);
        const ResolvedRoot resolved = resolvePlatformRoot();
        EXPECT_FALSE(resolved.status.ok());
        EXPECT_NE(resolved.status.message().find("--platform-root"), std::string::npos);
    }
    ScopedVariable home("HOME", "/home/someone");
    EXPECT_EQ(defaultPlatformRoot(), fs::path("/home/someone/.local/share/veltrona/platform"));
}

} // namespace
} // namespace veltrona::test
