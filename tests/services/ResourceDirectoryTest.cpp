// Finding shellTool, VPNStuff and veltrona-platform in the build's layout and in an installed one.
#include "services/ResourceDirectory.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

struct LayoutCase {
    const char* name;
    std::vector<const char*> files; // made below the temporary folder
    const char* programFolder;
    const char* resources; // expected, relative to the temporary folder
    const char* platformTool;
};

class ResourceLayout : public testing::TestWithParam<LayoutCase> { };

TEST_P(ResourceLayout, FindsTheFolderThatHoldsTheTools)
{
    const LayoutCase& c = GetParam();
    TempDir dir;
    for (const char* file : c.files)
        writeText(dir / file, "x");
    EXPECT_EQ(findResourceDirectory(dir / c.programFolder), (dir / c.resources).string());
    EXPECT_EQ(findPlatformTool(dir / c.programFolder), (dir / c.platformTool).string());
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, ResourceLayout,
    testing::Values(LayoutCase{"Build",
                               {"build/bin/Resources/shellTool", "build/bin/veltrona-platform"},
                               "build/bin",
                               "build/bin/Resources",
                               "build/bin/veltrona-platform"},
                    LayoutCase{"Installed",
                               {"usr/libexec/veltrona/shellTool", "usr/libexec/veltrona/veltrona-platform"},
                               "usr/bin",
                               "usr/libexec/veltrona",
                               "usr/libexec/veltrona/veltrona-platform"},
                    // Both present: the program's own folder wins, so a build never runs an installed tool.
                    LayoutCase{"BuildBesideAnInstallation",
                               {"p/bin/Resources/shellTool", "p/bin/veltrona-platform", "p/libexec/veltrona/shellTool",
                                "p/libexec/veltrona/veltrona-platform"},
                               "p/bin",
                               "p/bin/Resources",
                               "p/bin/veltrona-platform"},
                    // Neither: the build's place, so the error names where the tool was expected.
                    LayoutCase{"Nothing", {}, "bin", "bin/Resources", "bin/veltrona-platform"},
                    // A folder named shellTool is no tool.
                    LayoutCase{"FolderNamedShellTool",
                               {"bin/Resources/shellTool/x", "libexec/veltrona/shellTool"},
                               "bin",
                               "libexec/veltrona",
                               "bin/veltrona-platform"}),
    [](const testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

} // namespace
} // namespace veltrona::test
