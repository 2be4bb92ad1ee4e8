#pragma once
// What a backup holds, and its payload: an XML property list inside the sealed file.

#include "foundation/PlistValue.h"

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace veltrona {

// One VPN account's directory record as `dscl -plist . -read` shows it: attribute names with
// their values, data (ShadowHashData) in hex.
struct BackedUpAccount {
    std::string name;
    std::vector<std::pair<std::string, std::vector<std::string>>> attributes;

    std::string uniqueID() const;
    bool operator==(const BackedUpAccount&) const = default;
};

struct ServerBackup {
    std::string host;
    std::string type;
    std::string date; // when it was made, UTC, "YYYY-MM-DD HH:MM:SS UTC"
    // Platform path -> bytes: the installation directory's files and the signing material.
    std::map<std::string, std::string> files;
    std::string sharedSecret;
    std::vector<BackedUpAccount> accounts;

    bool operator==(const ServerBackup&) const = default;
};

// For a payload that opened but is not one we wrote.
inline constexpr const char* kBackupContentsDamaged = "The backup file is damaged: what it holds is no server backup.";

std::string backupPayload(const ServerBackup& backup);
// "1 VPN account", "2 VPN accounts".
std::string vpnAccountCountText(std::size_t count);
// An account from a record's attributes as dscl's -plist output has them; nothing when a value
// is not an array of strings.
std::optional<BackedUpAccount> backedUpAccount(std::string name, const PlistDictionary& attributes);
// Nothing when the payload is not one we wrote: not a property list, a member missing or of the
// wrong kind, a file path that is not one a backup may hold (see isRestorablePath), or an account
// name that is no record name.
std::optional<ServerBackup> readBackupPayload(std::string_view payload);

// Paths a restore may write: plain file names directly in the installation directory or in the
// signing certificate and key folders; never "..", never deeper.
bool isRestorablePath(const std::string& platformPath);

} // namespace veltrona
