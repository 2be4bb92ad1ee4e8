#pragma once
// The administrator's password remembered between launches: one generic-password item per
// administrator name in the user's keychain, under the program's process name.

#include "platform/KeychainServices.h"
#include "platform/ProcessInfo.h"
#include "platform/SystemLog.h"

#include <optional>
#include <string>
#include <string_view>

namespace veltrona {

// The services every operation needs.
struct KeychainContext {
    KeychainServices& keychain;
    const ProcessInfo& process;
    SystemLog& log;
};

// Class-level operations only; nothing is ever instantiated.
class Keychain {
public:
    Keychain() = delete;

    // Creates the item or replaces an existing item's password. Failures are not reported.
    static void storePassword(const KeychainContext& context, std::string_view password, std::string_view userName);
    // The stored password, or "ERROR" (after one log line) when it cannot be read.
    static std::string getPasswordForUser(const KeychainContext& context, std::string_view userName);
    // As above, under another service name and/or in one keychain file only.
    static std::string getPasswordForUser(const KeychainContext& context, std::string_view userName,
                                          const std::optional<std::string>& appName,
                                          const std::optional<std::string>& keychainPath);
    // Rewrites the item's account, service and password.
    static void changePassword(const KeychainContext& context, std::string_view password, std::string_view userName,
                               const SecKeychainItemRef& item);
    // Deletes the item when there is one.
    static void deletePasswordForUser(const KeychainContext& context, std::string_view userName);
};

} // namespace veltrona
