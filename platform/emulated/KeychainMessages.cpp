#include "platform/emulated/KeychainMessages.h"

#include <cstdint>

namespace veltrona {

std::string keychainErrorMessage(OSStatus status)
{
    switch (status) {
    case errSecSuccess: return "No error.";
    case errSecIO: return "I/O error (bummers)";
    case errSecParam: return "One or more parameters passed to a function were not valid.";
    case errSecNoSuchKeychain: return "The specified keychain could not be found.";
    case errSecInvalidKeychain: return "The specified keychain is not a valid keychain file.";
    case errSecDuplicateItem: return "The specified item already exists in the keychain.";
    case errSecItemNotFound: return "The specified item could not be found in the keychain.";
    case errSecNoSuchAttr: return "The specified attribute does not exist.";
    case errSecInvalidItemRef:
        return "The specified item is no longer valid. It may have been deleted from the keychain.";
    case errSecInteractionNotAllowed: return "User interaction is not allowed.";
    default: return "OSStatus " + std::to_string(status);
    }
}

int keychainExitStatus(OSStatus status)
{
    return static_cast<int>(static_cast<std::uint32_t>(status) & 0xFFu);
}

} // namespace veltrona
