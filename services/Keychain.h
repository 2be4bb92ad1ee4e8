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

class Keychain {
public:
    // The services every operation needs, kept by reference: they must outlive the object.
    Keychain(KeychainServices& keychain, const ProcessInfo& process, SystemLog& log)
        : keychain_(keychain), process_(process), log_(log)
    {
    }

    // Creates the item or replaces an existing item's password. Failures are not reported.
    void storePassword(std::string_view password, std::string_view userName);
    // The stored password, or "ERROR" (after one log line) when it cannot be read.
    std::string getPasswordForUser(std::string_view userName);
    // As above, under another service name and/or in one keychain file only.
    std::string getPasswordForUser(std::string_view userName, const std::optional<std::string>& appName,
                                   const std::optional<std::string>& keychainPath);
    // Rewrites the item's account, service and password.
    void changePassword(std::string_view password, std::string_view userName, const SecKeychainItemRef& item);
    // Deletes the item when there is one.
    void deletePasswordForUser(std::string_view userName);

private:
    KeychainServices& keychain_;
    const ProcessInfo& process_;
    SystemLog& log_;
};

} // namespace veltrona
