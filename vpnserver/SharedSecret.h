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
inline constexpr const char* kSharedSecretNotStored = "The shared secret could not be stored.";

std::vector<std::string> deleteSharedSecretCommand(const PlatformPaths& platform);
// The secret stands in the text as it is when the shell reads it as one word, else quoted.
std::vector<std::string> addSharedSecretCommand(const PlatformPaths& platform, const std::string& secret);
// Prints the item's secret and a newline, nothing when there is no item.
std::vector<std::string> findSharedSecretCommand(const PlatformPaths& platform);

// The secret racoon finds in the System keychain, "" when there is none.
std::string storedSharedSecret(const PlatformPaths& platform, CommandRunner& runner);

// Deletes the keychain item, adds the secret unless it is empty, and installs the server file
// with `SharedSecret` set to it (or without the key for the empty secret). A server file that is
// missing or unreadable is not written; the keychain commands still run. When the keychain does
// not hold the new secret afterwards, the old one is put back, the file is left as it was and
// the failure is kSharedSecretNotStored.
Status storeSharedSecret(const std::string& secret, const ServerFileLocations& locations, CommandRunner& runner);

} // namespace veltrona
