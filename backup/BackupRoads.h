#pragma once
// The two roads the window and the command line share: a backup written (collected, sealed,
// written owner-only) and one opened (decrypted and read), each with the one message to show.

#include "backup/ServerBackup.h"
#include "foundation/Status.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace veltrona {

struct WrittenBackup {
    Status status; // code 1: the file; 3: the platform
    std::size_t accounts = 0;
};
WrittenBackup writeServerBackup(const ServerFileLocations& locations, CommandRunner& runner,
                                const std::string& passphrase, const std::string& file,
                                std::chrono::system_clock::time_point now);

struct OpenedServerBackup {
    std::optional<ServerBackup> backup;
    std::string problem; // why not, when there is no backup
};
OpenedServerBackup openServerBackup(const std::string& bytes, const std::string& passphrase);

} // namespace veltrona
