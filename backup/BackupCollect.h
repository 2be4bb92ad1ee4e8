#pragma once
// Gathering what a backup holds, all read as root through the runner: the installed server files,
// the host's signing material, the System keychain's shared secret and the VPN accounts' records.

#include "backup/ServerBackup.h"
#include "foundation/Status.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h"

#include <chrono>
#include <optional>

namespace veltrona {

inline constexpr const char* kNothingToBackUp = "The VPN server is not installed; there is nothing to back up.";

struct CollectedBackup {
    std::optional<ServerBackup> backup;
    Status status;
};

// Prints the file's bytes in Base64 and a last line "OK"; nothing when it is no regular file.
std::vector<std::string> fileReadCommand(const std::string& path);
// The account's whole record as a property list, ShadowHashData in hex.
std::vector<std::string> accountRecordCommand(const std::string& name);

// `now` dates the backup.
CollectedBackup collectBackup(const ServerFileLocations& locations, CommandRunner& runner,
                              std::chrono::system_clock::time_point now);

// "YYYY-MM-DD HH:MM:SS UTC".
std::string backupDateText(std::chrono::system_clock::time_point time);

} // namespace veltrona
