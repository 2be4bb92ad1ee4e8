#pragma once
// Storing a new shared secret: the System-keychain item racoon reads, replaced with root's
// privileges, and the installed server file rewritten at once, without restarting the server.

#include "foundation/Status.h"
#include "platform/PlatformPaths.h"
#include "services/CommandRunner.h"
#include "vpnserver/ServerFileLocations.h"

#include <string>
#include <vector>

namespace veltrona {

inline constexpr const char* kSystemKeychain = "/Library/Keychains/System.keychain";

std::vector<std::string> deleteSharedSecretCommand(const PlatformPaths& platform);
// The secret stands in the text as it is when the shell reads it as one word, else quoted.
std::vector<std::string> addSharedSecretCommand(const PlatformPaths& platform, const std::string& secret);

// Deletes the keychain item, adds the secret unless it is empty, and installs the server file
// with `SharedSecret` set to it (or without the key for the empty secret). A server file that is
// missing or unreadable is not written; the keychain commands still run.
Status storeSharedSecret(const std::string& secret, const ServerFileLocations& locations, CommandRunner& runner);

} // namespace veltrona
