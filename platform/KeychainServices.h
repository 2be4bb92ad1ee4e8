#pragma once
// Keychain Services as the password store uses them: generic passwords in keychain files.
// Status codes and their texts keep the Mac's values.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

using OSStatus = std::int32_t;

inline constexpr OSStatus errSecSuccess = 0;
inline constexpr OSStatus errSecIO = -36;
inline constexpr OSStatus errSecParam = -50;
inline constexpr OSStatus errSecNoSuchKeychain = -25294;
inline constexpr OSStatus errSecInvalidKeychain = -25295;
inline constexpr OSStatus errSecDuplicateItem = -25299;
inline constexpr OSStatus errSecItemNotFound = -25300;
inline constexpr OSStatus errSecNoSuchAttr = -25303;
inline constexpr OSStatus errSecInvalidItemRef = -25304;
inline constexpr OSStatus errSecInteractionNotAllowed = -25308;

// Attribute tags are four-character codes, as on the Mac.
using SecItemAttr = std::uint32_t;
inline constexpr SecItemAttr kSecAccountItemAttr = 0x61636374; // 'acct'
inline constexpr SecItemAttr kSecServiceItemAttr = 0x73766365; // 'svce'

struct SecKeychainAttribute {
    SecItemAttr tag = 0;
    std::string data;
};

// Password bytes as a find returns them (no terminator).
using SecKeychainData = std::vector<std::uint8_t>;

// Opaque references; releasing one is letting it go. A null keychain means the default one
// (for an add) or the default search list (for a find).
class SecKeychain {
public:
    virtual ~SecKeychain() = default;
};
class SecKeychainItem {
public:
    virtual ~SecKeychainItem() = default;
};
using SecKeychainRef = std::shared_ptr<SecKeychain>;
using SecKeychainItemRef = std::shared_ptr<SecKeychainItem>;

class KeychainServices {
public:
    virtual ~KeychainServices() = default;

    // SecKeychainAddGenericPassword: errSecDuplicateItem when service and account are taken.
    // `item` may be null when no reference is wanted.
    virtual OSStatus addGenericPassword(const SecKeychainRef& keychain, std::string_view service,
                                        std::string_view account, std::string_view password,
                                        SecKeychainItemRef* item) = 0;

    // SecKeychainFindGenericPassword: the data, the reference, or both (either pointer may be null).
    virtual OSStatus findGenericPassword(const SecKeychainRef& keychain, std::string_view service,
                                         std::string_view account, SecKeychainData* password,
                                         SecKeychainItemRef* item) = 0;

    // SecKeychainItemModifyAttributesAndData: replaces the listed attributes (account, service)
    // and, when `data` is not null, the password.
    virtual OSStatus modifyAttributesAndData(const SecKeychainItemRef& item,
                                             const std::vector<SecKeychainAttribute>& attributes,
                                             const SecKeychainData* data) = 0;

    // SecKeychainItemDelete.
    virtual OSStatus deleteItem(const SecKeychainItemRef& item) = 0;

    // SecKeychainItemFreeContent: wipes and releases data a find returned.
    virtual OSStatus freeContent(SecKeychainData& data) = 0;

    // SecKeychainOpen: always gives a reference; a file that is missing or unusable makes the
    // later calls on it fail.
    virtual OSStatus open(std::string_view path, SecKeychainRef& keychain) = 0;

    // SecKeychainSetUserInteractionAllowed.
    virtual OSStatus setUserInteractionAllowed(bool allowed) = 0;

    // SecCopyErrorMessageString: "The specified item could not be found in the keychain." for
    // errSecItemNotFound; "OSStatus N" for a code it does not know.
    virtual std::string errorMessage(OSStatus status) const = 0;
};

} // namespace veltrona
