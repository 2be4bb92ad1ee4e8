#pragma once
// Writing a client profile onto the Desktop after an account's password was typed, and signing it.

#include "foundation/PlistValue.h"
#include "foundation/Status.h"
#include "platform/PlatformPaths.h"
#include "platform/SystemLog.h"
#include "services/CommandRunner.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace veltrona {

// "alice.L2TP.mobileconfig" and "signed.alice.L2TP.mobileconfig" for user alice, type L2TP.
std::string profileFileName(std::string_view userName, std::string_view vpnType);
std::string signedProfileFileName(std::string_view userName, std::string_view vpnType);

// The Desktop of the logged-in user's home folder (a platform path such as "/Users/alice"),
// mapped onto this machine.
std::string desktopFolder(const PlatformPaths& platform, std::string_view homeDirectory);

// Writes a profile where the user chose (the save dialog's road), atomically, readable by its
// owner alone: it holds the shared secret.
Status saveProfile(const PlistDictionary& profile, const std::filesystem::path& path);

struct AutomaticExport {
    std::string desktopFolder; // on this machine, see desktopFolder()
    PlatformPaths platform;    // where the signing material is looked up
    bool sign = false;         // the signMobileConfigFile default
};

enum class ExportResult {
    NotWritten,         // the profile could not be written
    Written,            // written, signing off
    Signed,             // only the signed profile remains
    NoSigningMaterial,  // signing on, but no certificate and key: the unsigned profile stays
    SigningFailed,      // the command made no signed file: the unsigned profile stays
    KeyNeedsPassPhrase, // the key is encrypted: never used, the unsigned profile stays
};

// Writes the profile as saveProfile() does, as profileFileName() on the Desktop, replacing an older one;
// with signing on, signs it through the runner into signedProfileFileName() and then removes the
// unsigned file. An earlier signed file is kept aside during signing and put back if signing
// fails, so a failure loses nothing. The signed file is owner-only and belongs to the Desktop's
// owner; a key that needs a pass phrase is not used. With signing on, every outcome but Signed
// logs one line ("can't find file" when the profile could not be written).
ExportResult writeProfileAutomatically(const PlistDictionary& profile, std::string_view userName,
                                       std::string_view vpnType, std::string_view host,
                                       const AutomaticExport& destination, CommandRunner& runner, SystemLog& log);

} // namespace veltrona
