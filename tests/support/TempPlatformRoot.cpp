#include "tests/support/TempPlatformRoot.h"

#include "platform/PlatformRoot.h"
#include "platform/tools/PlatformInit.h"
#include "platform/tools/StandInTools.h"

#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <vector>

namespace veltrona::test {

namespace {

std::filesystem::path buildBinFolder()
{
    if (const char* build = std::getenv("VELTRONA_BUILD_DIR"); build && *build)
        return std::filesystem::path(build) / "bin";
    return std::filesystem::read_symlink("/proc/self/exe").parent_path();
}

void writeSilentDig(const std::filesystem::path& file)
{
    std::ofstream(file) << "#!/bin/sh\necho ';; connection timed out; no servers could be reached'\nexit 9\n";
    std::filesystem::permissions(file, std::filesystem::perms::owner_all | std::filesystem::perms::group_read
                                           | std::filesystem::perms::group_exec | std::filesystem::perms::others_read
                                           | std::filesystem::perms::others_exec);
}

} // namespace

std::filesystem::path builtMacToolsFolder()
{
    return buildBinFolder() / "mac-tools";
}

std::filesystem::path builtPlatformTool()
{
    return buildBinFolder() / "veltrona-platform";
}

TempPlatformRoot::TempPlatformRoot(Tools tools) : root_(dir_.path() / "root")
{
    PlatformInitOptions options;
    options.root = root_;
    options.adminName = kTestAdminName;
    options.fullName = kTestAdminFullName;
    options.password = kTestAdminPassword;
    if (Status made = initPlatformRoot(options); !made.ok())
        throw std::runtime_error("cannot make a platform root: " + made.message());
    if (tools != Tools::Skip) {
        std::vector<std::string> notes;
        if (Status copied = installStandInTools(root_, builtMacToolsFolder(), notes); !copied.ok())
            throw std::runtime_error("cannot copy the stand-in tools: " + copied.message());
        if (tools == Tools::Copy)
            std::filesystem::remove(root_ / "usr/sbin/vpnd");
        // Commands run through shellTool find this dig first: a window's start or a check in a
        // test asks no DNS server outside. A test that wants answers puts its own dig here.
        writeSilentDig(root_ / "usr/bin/dig");
    }
}

std::map<std::string, std::string> TempPlatformRoot::environment() const
{
    return {{kPlatformRootVariable, root_.string()}};
}

} // namespace veltrona::test
