#pragma once
// The bytes a phone receives: the profile as the save dialog's road writes it, signed as profiles
// on the Desktop are whenever a certificate and key for the host exist.

#include "foundation/PlistValue.h"
#include "platform/PlatformPaths.h"
#include "platform/SystemLog.h"
#include "services/CommandRunner.h"

#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

struct ServedProfile {
    std::string bytes;
    bool isSigned = false;
    // Why a profile that could have been signed is not; empty otherwise.
    std::string unsignedReason;
};

// Writes the profile into `privateFolder` (an owner-only folder on this machine), signs it there
// through the runner when signing is possible for the host, reads the result and removes what it
// wrote. Nothing when the profile could not be written or read back.
std::optional<ServedProfile> servedProfile(const PlistDictionary& profile, std::string_view userName,
                                           std::string_view vpnType, std::string_view host,
                                           const PlatformPaths& platform, const std::string& privateFolder,
                                           CommandRunner& runner, SystemLog& log);

} // namespace veltrona
