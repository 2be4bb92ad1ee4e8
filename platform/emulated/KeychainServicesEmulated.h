#pragma once
// Keychain Services of the emulated Mac: keychains are property-list files in the platform root
// (see KeychainFile.h). The default keychain is the user's Users/NAME/Library/Keychains/login.keychain.

#include "platform/KeychainServices.h"
#include "platform/PlatformPaths.h"

#include <string>

namespace veltrona {

class KeychainServicesEmulated final : public KeychainServices {
public:
    KeychainServicesEmulated(PlatformPaths paths, std::string loginName);

    OSStatus addGenericPassword(const SecKeychainRef& keychain, std::string_view service, std::string_view account,
                                std::string_view password, SecKeychainItemRef* item) override;
    OSStatus findGenericPassword(const SecKeychainRef& keychain, std::string_view service, std::string_view account,
                                 SecKeychainData* password, SecKeychainItemRef* item) override;
    OSStatus modifyAttributesAndData(const SecKeychainItemRef& item,
                                     const std::vector<SecKeychainAttribute>& attributes,
                                     const SecKeychainData* data) override;
    OSStatus deleteItem(const SecKeychainItemRef& item) override;
    OSStatus freeContent(SecKeychainData& data) override;
    OSStatus open(std::string_view path, SecKeychainRef& keychain) override;
    OSStatus setUserInteractionAllowed(bool allowed) override;
    std::string errorMessage(OSStatus status) const override;

    // The emulation never prompts; the flag is kept so tests can see what was asked.
    bool userInteractionAllowed() const { return userInteractionAllowed_; }
    // The default keychain's file on this machine.
    std::string defaultKeychainPath() const;

private:
    PlatformPaths paths_;
    std::string loginName_;
    bool userInteractionAllowed_ = true;
};

} // namespace veltrona
