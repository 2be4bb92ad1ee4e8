#pragma once
// The host's signing certificate, when it has one: certificate and key belong together, the
// certificate stays valid for another 30 days, and the chain file, when present, issued it.

#include "vpnserver/SetupCheck.h"

#include <ctime>
#include <string>

namespace veltrona {

inline constexpr const char* kSigningCheck = "Signing certificate";
inline constexpr int kExpiryWarningDays = 30;

struct SigningCheckFiles {
    std::string certificate;
    std::string key;
    std::string chain; // may be missing
};

// Passes when the host has neither file: profiles then go out unsigned or with the fallback pair.
SetupCheck checkSigning(const SigningCheckFiles& files, std::time_t now);

} // namespace veltrona
