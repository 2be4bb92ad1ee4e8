#include "backup/BackupCollect.h"

#include "accounts/AccountListing.h"
#include "foundation/PlistIO.h"
#include "foundation/UtcTime.h"
#include "profiles/SigningMaterial.h"
#include "services/Base64.h"
#include "vpnserver/InstallationScript.h"
#include "vpnserver/ServerFileReader.h"
#include "vpnserver/SharedSecret.h"

#include <filesystem>

namespace veltrona {

namespace {

constexpr std::string_view kReadEnd = "\nOK";

std::optional<std::string> readAsRoot(CommandRunner& runner, const std::string& path)
{
    runner.setArgs(fileReadCommand(path));
    const std::string output = runner.startProcessGetResult();
    // The runner drops the last character, the line end after "OK".
    if (!output.ends_with(kReadEnd))
        return std::nullopt;
    const std::vector<std::uint8_t> bytes = dataFromBase64String(output.substr(0, output.size() - kReadEnd.size()));
    return std::string(bytes.begin(), bytes.end());
}

std::optional<BackedUpAccount> readAccount(CommandRunner& runner, const std::string& name)
{
    runner.setArgs(accountRecordCommand(name));
    const std::optional<PlistValue> record = parsePlist(runner.startProcessGetResult());
    const PlistDictionary* attributes = record ? record->dictionary() : nullptr;
    if (!attributes)
        return std::nullopt;
    return backedUpAccount(name, *attributes);
}

} // namespace

std::vector<std::string> fileReadCommand(const std::string& path)
{
    return {"/bin/sh", "-c",
            "[ -f \"$1\" ] || exit 1\ndata=$(base64 < \"$1\") || exit 1\nprintf '%s\\nOK\\n' \"$data\"", "", path};
}

std::vector<std::string> accountRecordCommand(const std::string& name)
{
    return {"/bin/sh", "-c", "dscl -plist . -read \"/Users/$1\"", "", name};
}

std::string backupDateText(std::chrono::system_clock::time_point time)
{
    return utcText(std::chrono::system_clock::to_time_t(time), "%Y-%m-%d %H:%M:%S UTC");
}

CollectedBackup collectBackup(const ServerFileLocations& locations, CommandRunner& runner,
                              std::chrono::system_clock::time_point now)
{
    const PlatformPaths& platform = locations.platform();
    const std::string directory = locations.installationDirectory();
    if (!unixPathExists(directory))
        return {std::nullopt, Status::failure(1, kNothingToBackUp)};
    const LoadedServerSettings loaded = loadVPNSettings(locations);
    // Without its settings the backup would hold no host, and so none of its signing material.
    if (!loaded.serverFileRead)
        return {std::nullopt, Status::failure(3, "The file cannot be read: " + locations.installedServerFile())};
    ServerBackup backup;
    backup.host = loaded.settings.vpnHost;
    backup.type = loaded.settings.type;
    backup.date = backupDateText(now);

    std::vector<std::string> paths;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
        if (entry.is_regular_file(ec))
            paths.push_back(entry.path().string());
    }
    if (ec)
        return {std::nullopt, Status::failure(3, "The installation directory cannot be read: " + directory)};
    if (const std::optional<SigningMaterial> signing = findSigningMaterial(platform, backup.host)) {
        paths.push_back(signing->signer);
        paths.push_back(signing->key);
        if (signing->intermediate)
            paths.push_back(*signing->intermediate);
    }
    for (const std::string& path : paths) {
        std::optional<std::string> bytes = readAsRoot(runner, path);
        if (!bytes)
            return {std::nullopt, Status::failure(3, "The file cannot be read: " + path)};
        backup.files.emplace(platform.platformPath(path), std::move(*bytes));
    }

    backup.sharedSecret = storedSharedSecret(platform, runner);
    // An empty secret restored would delete the one in the keychain: a secret the settings know of
    // must have been read.
    if (backup.sharedSecret.empty() && !loaded.settings.sharedSecret.empty())
        return {std::nullopt, Status::failure(3, "The shared secret cannot be read from the System keychain.")};

    runner.setArgs(accountListingArguments());
    const std::optional<std::vector<AccountRecord>> accounts = parseAccountListing(runner.startProcessGetResult());
    if (!accounts)
        return {std::nullopt, Status::failure(3, "The directory's accounts cannot be listed.")};
    for (const AccountRecord& listed : *accounts) {
        std::optional<BackedUpAccount> account = readAccount(runner, listed.userName);
        if (!account)
            return {std::nullopt, Status::failure(3, "The account " + listed.userName + " cannot be read.")};
        backup.accounts.push_back(std::move(*account));
    }
    return {std::move(backup), Status::success()};
}

} // namespace veltrona
