#include "backup/BackupRoads.h"

#include "backup/BackupCollect.h"
#include "backup/BackupFile.h"
#include "foundation/AtomicFile.h"

namespace veltrona {

WrittenBackup writeServerBackup(const ServerFileLocations& locations, CommandRunner& runner,
                                const std::string& passphrase, const std::string& file,
                                std::chrono::system_clock::time_point now)
{
    const CollectedBackup collected = collectBackup(locations, runner, now);
    if (!collected.backup)
        return {collected.status};
    const std::optional<std::string> sealed = sealBackup(backupPayload(*collected.backup), passphrase);
    if (!sealed)
        return {Status::failure(3, "The backup could not be encrypted.")};
    if (Status written = writeFileAtomically(file, *sealed, FileAccess::OwnerOnly); !written)
        return {Status::failure(1, "The backup could not be written to " + file + ": " + written.message())};
    return {Status::success(), collected.backup->accounts.size()};
}

OpenedServerBackup openServerBackup(const std::string& bytes, const std::string& passphrase)
{
    const OpenedBackup opened = openBackup(bytes, passphrase);
    if (!opened.payload)
        return {std::nullopt, backupOpenProblemText(opened.problem, opened.version)};
    std::optional<ServerBackup> backup = readBackupPayload(*opened.payload);
    if (!backup)
        return {std::nullopt, kBackupContentsDamaged};
    return {std::move(backup), {}};
}

} // namespace veltrona
