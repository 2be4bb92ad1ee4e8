#pragma once
// Bringing a Mac to the state a backup holds, every change made as root through the runner: the
// server files installed, the shared secret in the System keychain, the VPN accounts with their
// ids and hashes, and a running server restarted on what was restored.

#include "backup/ServerBackup.h"
#include "foundation/Status.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h"

#include <string>
#include <vector>

namespace veltrona {

struct RestoreReport {
    Status status;
    std::vector<std::string> restoredAccounts;
    // "NAME: why", for each account left alone.
    std::vector<std::string> skippedAccounts;
    bool restarted = false;
};

// What the file holds, one "Label: value" a line, for the question before a restore.
std::string backupSummary(const ServerBackup& backup);

// Moves $1 (a file in the run folder) to $2, making its folder, and gives it to root; prints
// "MOVED" when the file is in place.
std::vector<std::string> fileRestoreCommand(const std::string& from, const std::string& to);
// Creates the record /Users/$1, then runs `dscl . OPERATION /Users/$1 ATTRIBUTE VALUE` for each
// triple that follows; prints "DONE" when every one succeeded.
std::vector<std::string> accountRestoreCommand(const BackedUpAccount& account);

// An account whose name any record already has is replaced only when that record is a VPN
// account and no administrator; one whose id another record holds, or that is no VPN account
// itself, is skipped. Either way it is named in the report.
RestoreReport restoreBackup(const ServerBackup& backup, const ServerFileLocations& locations, CommandRunner& runner);

// The report for people: what was restored, each skipped account, the restart.
std::string restoreReportText(const RestoreReport& report);

} // namespace veltrona
