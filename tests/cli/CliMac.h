#pragma once
// An emulated Mac for veltronactl: a fresh platform root with the stand-in tools, the built
// program run as a child process against it, and the platform's state read back independently.

#include "tests/support/ProcessRun.h"
#include "tests/support/TempPlatformRoot.h"

#include <map>
#include <string>
#include <vector>

namespace veltrona::test {

class CliMac {
public:
    explicit CliMac(TempPlatformRoot::Tools tools = TempPlatformRoot::Tools::Copy) : mac_(tools) { }

    // Whether veltronactl, shellTool and the stand-in tools are built.
    static bool available();
    // The built veltronactl.
    static std::filesystem::path program();

    // veltronactl ARGS with VELTRONA_PLATFORM_ROOT and (unless `environment` says otherwise)
    // VELTRONA_ADMIN_PASSWORD=secret; `input` on its standard input.
    ProcessRun run(const std::vector<std::string>& arguments, const std::string& input = {},
                   std::map<std::string, std::string> environment = {}) const;

    const std::filesystem::path& root() const { return mac_.root(); }
    bool installed() const;
    bool jobLoaded() const;
    bool hasUser(const std::string& name) const;
    // The installed server file's VPNHost; "" when there is none.
    std::string installedHost() const;
    // What the System keychain file holds, as bytes.
    std::string systemKeychain() const;
    // The notification names posted so far, one a line.
    std::string notifications() const;

private:
    TempPlatformRoot mac_;
};

} // namespace veltrona::test
