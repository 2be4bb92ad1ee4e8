#pragma once
// The accounts and groups a new emulated Mac starts with.

#include "foundation/Status.h"
#include "platform/emulated/Directory.h"

#include <string>

namespace veltrona {

// True for the names of the system accounts a new root holds (letter case ignored).
bool isSystemAccountName(const std::string& name);

// root, daemon, nobody and a few "_" accounts with their groups; admin (80) holds root.
Status writeSystemAccounts(Directory& directory);

// The administrator: uid 501, gid 20 (staff), home /Users/NAME, member of admin.
Status writeAdministrator(Directory& directory, const std::string& name, const std::string& fullName,
                          const std::string& password);

} // namespace veltrona
