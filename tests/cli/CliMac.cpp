#include "tests/cli/CliMac.h"

#include "foundation/PlistIO.h"
#include "platform/emulated/Directory.h"
#include "platform/emulated/LaunchdState.h"
#include "platform/emulated/NotificationCenterEmulated.h"
#include "tests/support/FileText.h"

namespace veltrona::test {

namespace {

namespace fs = std::filesystem;

} // namespace

fs::path CliMac::program()
{
    return builtPlatformTool().parent_path() / "veltronactl";
}

bool CliMac::available()
{
    return fs::exists(program()) && fs::exists(program().parent_path() / "Resources/shellTool")
           && fs::exists(builtMacToolsFolder() / "dscl");
}

ProcessRun CliMac::run(const std::vector<std::string>& arguments, const std::string& input,
                       std::map<std::string, std::string> environment) const
{
    environment.emplace("VELTRONA_PLATFORM_ROOT", root().string());
    environment.emplace("VELTRONA_ADMIN_PASSWORD", kTestAdminPassword);
    return runProgram(program().string(), arguments, environment, {}, input);
}

bool CliMac::installed() const
{
    return fs::exists(root() / "usr/local/quillfen/vpn");
}

bool CliMac::jobLoaded() const
{
    const auto jobs = LaunchdState(PlatformPaths(root())).loadedJobs();
    if (!jobs)
        return false;
    for (const LaunchdJob& job : *jobs) {
        if (job.label == "com.brantholm.vpn")
            return true;
    }
    return false;
}

bool CliMac::hasUser(const std::string& name) const
{
    return Directory(root()).find(RecordType::Users, name).record.has_value();
}

std::string CliMac::installedHost() const
{
    const auto server = readPlistDictionaryFile(root() / "usr/local/quillfen/vpn/com.apple.RemoteAccessServers.plist");
    const PlistValue* host = server ? server->dictionary()->find("VPNHost") : nullptr;
    return host && host->string() ? *host->string() : std::string();
}

std::string CliMac::systemKeychain() const
{
    return readText(root() / "Library/Keychains/System.keychain");
}

std::string CliMac::notifications() const
{
    return readText(PlatformPaths(root()).map(kNotificationLogFile));
}

} // namespace veltrona::test
