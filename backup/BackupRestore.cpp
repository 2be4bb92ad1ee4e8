#include "backup/BackupRestore.h"

#include "accounts/AccountActions.h"
#include "accounts/AccountCommands.h"
#include "accounts/AccountListing.h"
#include "accounts/NextUserID.h"
#include "backup/BackupCollect.h"
#include "foundation/AtomicFile.h"
#include "foundation/Text.h"
#include "platform/FolderLock.h"
#include "profiles/SigningMaterial.h"
#include "vpnserver/InstallationScript.h"
#include "vpnserver/RunFolder.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/SharedSecret.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>

namespace veltrona {

namespace {

// The record's name comes from its path; the rest is written as read.
constexpr const char* kRecordNameAttribute = "dsAttrTypeStandard:RecordName";
constexpr const char* kRealNameAttribute = "dsAttrTypeStandard:RealName";

std::string run(CommandRunner& runner, std::vector<std::string> arguments)
{
    runner.setArgs(std::move(arguments));
    return runner.startProcessGetResult();
}

std::string attributeValue(const BackedUpAccount& account, std::string_view name)
{
    for (const auto& [key, values] : account.attributes) {
        if (key == name && !values.empty())
            return values.front();
    }
    return {};
}

bool isVpnAccount(const BackedUpAccount& account)
{
    return isVpnAccountRecord(account.uniqueID(), attributeValue(account, kRealNameAttribute));
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

// Why the account cannot be restored, or "" when it can; `replace` says whether a VPN record of
// that name goes first.
std::string refusal(CommandRunner& runner, const BackedUpAccount& account, const std::vector<AccountRecord>& vpnUsers,
                    const std::map<std::string, std::set<long long>>& ids, bool& replace)
{
    if (!isVpnAccount(account))
        return "it is not a VPN account";
    const bool taken =
        !run(runner, nameProbeCommand(account.name)).empty() || !run(runner, aliasProbeCommand(account.name)).empty();
    const bool vpnRecord = isListedVpnUser(vpnUsers, account.name);
    replace = taken;
    if (taken && (!vpnRecord || isAdministrator(runner, account.name)))
        return "the name is used by an account that is not a VPN account";
    const long long id = intValue(account.uniqueID());
    for (const auto& [name, held] : ids) {
        if (held.contains(id) && !sameNameIgnoringCase(name, account.name))
            return "its user id " + account.uniqueID() + " is used by " + name;
    }
    return {};
}

Status restoreFiles(const ServerBackup& backup, const ServerFileLocations& locations, CommandRunner& runner)
{
    const PlatformPaths& platform = locations.platform();
    installIfMissing(platform, runner);
    const RunFolder folder(platform);
    if (folder.path().empty())
        return Status::failure(3, "No run folder could be made inside the platform root.");
    int count = 0;
    for (const auto& [path, bytes] : backup.files) {
        // Run as root, mkdir and mv follow links: nothing goes through one out of the platform root.
        if (!liesWithin(platform.map(path), platform.root()))
            return Status::failure(3, "The file could not be restored: " + path);
        const std::string staged = folder.path() + "/restore." + std::to_string(count++);
        // The server file holds the shared secret and the private folder holds keys.
        const bool secret = path.ends_with(kServerFileName) || path.starts_with(kPrivateKeyFolder);
        if (Status written = writeFileAtomically(staged, bytes, secret ? FileAccess::OwnerOnly : FileAccess::AsBefore);
            !written)
            return written;
        if (run(runner, fileRestoreCommand(staged, platform.map(path))) != "MOVED")
            return Status::failure(3, "The file could not be restored: " + path);
    }
    return Status::success();
}

} // namespace

std::string backupSummary(const ServerBackup& backup)
{
    return "Host: " + backup.host + "\nType: " + backup.type
           + "\nVPN accounts: " + std::to_string(backup.accounts.size()) + "\nMade: " + backup.date;
}

std::vector<std::string> fileRestoreCommand(const std::string& from, const std::string& to)
{
    return {"/bin/sh",
            "-c",
            "mkdir -p \"$(dirname \"$2\")\" && mv -f \"$1\" \"$2\" && sudo chown root:wheel \"$2\" && echo MOVED",
            "",
            from,
            to};
}

std::vector<std::string> accountRestoreCommand(const BackedUpAccount& account)
{
    std::vector<std::string> command = {"/bin/sh", "-c",
                                        "user=/Users/$1\n"
                                        "shift\n"
                                        "dscl . -create \"$user\" || exit 1\n"
                                        "while [ $# -ge 3 ]; do\n"
                                        "\tdscl . \"$1\" \"$user\" \"$2\" \"$3\" || exit 1\n"
                                        "\tshift 3\n"
                                        "done\n"
                                        "echo DONE",
                                        "", account.name};
    for (const auto& [key, values] : account.attributes) {
        if (key == kRecordNameAttribute)
            continue;
        for (std::size_t i = 0; i < values.size(); ++i) {
            command.push_back(i == 0 ? "-create" : "-append");
            command.push_back(key);
            command.push_back(values[i]);
        }
    }
    return command;
}

RestoreReport restoreBackup(const ServerBackup& backup, const ServerFileLocations& locations, CommandRunner& runner)
{
    RestoreReport report;
    const PlatformPaths& platform = locations.platform();
    const bool wasRunning = isJobLoaded(runner);

    if (report.status = restoreFiles(backup, locations, runner); !report.status)
        return report;
    if (report.status = storeSharedSecret(backup.sharedSecret, locations, runner); !report.status)
        return report;

    {
        const FolderLock lock(platform.map(kAccountCreationLockFolder), FolderLinks::Refused);
        if (!lock.locked()) {
            report.status = Status::failure(3, "The directory's account lock could not be taken.");
            return report;
        }
        const std::optional<std::vector<AccountRecord>> vpnUsers =
            parseAccountListing(run(runner, accountListingArguments()));
        if (!vpnUsers) {
            report.status = Status::failure(3, "The directory's accounts cannot be listed.");
            return report;
        }
        const std::map<std::string, std::set<long long>> ids = idsByRecord(run(runner, uniqueIDListingCommand()));
        for (const BackedUpAccount& account : backup.accounts) {
            bool replace = false;
            if (std::string why = refusal(runner, account, *vpnUsers, ids, replace); !why.empty()) {
                report.skippedAccounts.push_back(account.name + ": " + why);
                continue;
            }
            if (replace && !deleteVPNAccount(runner, account.name)) {
                report.skippedAccounts.push_back(account.name + ": the VPN account of that name could not be replaced");
                continue;
            }
            if (run(runner, accountRestoreCommand(account)) != "DONE") {
                // The rest is restored and the server restarted all the same; the failure is told.
                report.status = Status::failure(3, "The VPN account " + account.name + " could not be restored.");
                continue;
            }
            report.restoredAccounts.push_back(account.name);
        }
    }

    if (wasRunning) {
        runStopCommand(runner, platform);
        // A job that did not unload is still the old server: no restart to report.
        if (isJobLoaded(runner)) {
            report.status = Status::failure(3, "The VPN server did not stop for the restart after the restore.");
            return report;
        }
        runStartCommand(runner, platform);
        report.restarted = isJobLoaded(runner);
        if (!report.restarted)
            report.status = Status::failure(3, "The VPN server did not start again after the restore.");
    }
    return report;
}

std::string restoreReportText(const RestoreReport& report)
{
    std::string text = "The server is restored";
    if (!report.restoredAccounts.empty())
        text += " with the VPN accounts " + join(report.restoredAccounts, ", ");
    text += ".";
    for (const std::string& skipped : report.skippedAccounts)
        text += "\nSkipped " + skipped + ".";
    if (report.restarted)
        text += "\nThe VPN server is restarted.";
    return text;
}

} // namespace veltrona
