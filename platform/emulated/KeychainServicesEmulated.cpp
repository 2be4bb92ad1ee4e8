#include "platform/emulated/KeychainServicesEmulated.h"

#include "platform/emulated/KeychainFile.h"
#include "platform/emulated/KeychainMessages.h"

#include <algorithm>

namespace veltrona {

namespace {

struct EmulatedKeychain final : SecKeychain {
    std::string file;
    // A keychain that could not be opened keeps failing with this status.
    OSStatus status = errSecSuccess;
};

// Names the item by its keychain file and its current service and account.
struct EmulatedKeychainItem final : SecKeychainItem {
    std::string file;
    std::string service;
    std::string account;
};

SecKeychainItemRef itemRef(const std::string& file, std::string_view service, std::string_view account)
{
    auto ref = std::make_shared<EmulatedKeychainItem>();
    ref->file = file;
    ref->service = service;
    ref->account = account;
    return ref;
}

// The file a call works on: the given keychain's, or the default one when none is given.
OSStatus keychainFile(const SecKeychainRef& keychain, std::string defaultFile, std::string& file)
{
    if (!keychain) {
        file = std::move(defaultFile);
        return errSecSuccess;
    }
    const auto* opened = dynamic_cast<const EmulatedKeychain*>(keychain.get());
    if (!opened)
        return errSecParam;
    if (opened->status == errSecSuccess)
        file = opened->file;
    return opened->status;
}

} // namespace

KeychainServicesEmulated::KeychainServicesEmulated(PlatformPaths paths, std::string loginName)
    : paths_(std::move(paths)), loginName_(std::move(loginName))
{
}

std::string KeychainServicesEmulated::defaultKeychainPath() const
{
    return paths_.map("/Users/" + loginName_ + "/Library/Keychains/login.keychain");
}

OSStatus KeychainServicesEmulated::open(std::string_view path, SecKeychainRef& keychain)
{
    auto opened = std::make_shared<EmulatedKeychain>();
    std::string given(path);
    // As on the Mac, a bare name means a keychain in the user's own keychain folder.
    if (!given.empty() && given.front() != '/')
        given = "/Users/" + loginName_ + "/Library/Keychains/" + given;
    std::optional<std::string> file = loginName_.find('/') == std::string::npos ? paths_.hostPath(given) : std::nullopt;
    if (file)
        opened->file = *file;
    else
        opened->status = errSecNoSuchKeychain;
    keychain = opened;
    return opened->status;
}

OSStatus KeychainServicesEmulated::addGenericPassword(const SecKeychainRef& keychain, std::string_view service,
                                                      std::string_view account, std::string_view password,
                                                      SecKeychainItemRef* item)
{
    std::string file;
    if (OSStatus status = keychainFile(keychain, defaultKeychainPath(), file); status != errSecSuccess)
        return status;
    const OSStatus status = modifyKeychain(file, paths_.root(), [&](KeychainItems& items) {
        if (findKeychainItem(items, service, account) != items.end())
            return errSecDuplicateItem;
        KeychainItemRecord record;
        record.service = service;
        record.account = account;
        record.data.assign(password.begin(), password.end());
        record.created = record.modified = keychainTimestamp();
        items.push_back(std::move(record));
        return errSecSuccess;
    });
    if (status == errSecSuccess && item)
        *item = itemRef(file, service, account);
    return status;
}

OSStatus KeychainServicesEmulated::findGenericPassword(const SecKeychainRef& keychain, std::string_view service,
                                                       std::string_view account, SecKeychainData* password,
                                                       SecKeychainItemRef* item)
{
    std::string file;
    if (OSStatus status = keychainFile(keychain, defaultKeychainPath(), file); status != errSecSuccess)
        return status;
    KeychainItems items;
    if (OSStatus status = readKeychain(file, items); status != errSecSuccess)
        return status;
    const auto found = findKeychainItem(items, service, account);
    if (found == items.end())
        return errSecItemNotFound;
    if (password)
        *password = found->data;
    if (item)
        *item = itemRef(file, found->service, found->account);
    return errSecSuccess;
}

OSStatus KeychainServicesEmulated::modifyAttributesAndData(const SecKeychainItemRef& item,
                                                           const std::vector<SecKeychainAttribute>& attributes,
                                                           const SecKeychainData* data)
{
    auto* ref = dynamic_cast<EmulatedKeychainItem*>(item.get());
    if (!ref)
        return errSecInvalidItemRef;
    std::string service = ref->service;
    std::string account = ref->account;
    for (const SecKeychainAttribute& attribute : attributes) {
        if (attribute.tag == kSecAccountItemAttr)
            account = attribute.data;
        else if (attribute.tag == kSecServiceItemAttr)
            service = attribute.data;
        else
            return errSecNoSuchAttr;
    }
    const OSStatus status = modifyKeychain(ref->file, paths_.root(), [&](KeychainItems& items) {
        const auto target = findKeychainItem(items, ref->service, ref->account);
        if (target == items.end())
            return errSecInvalidItemRef;
        const auto clash = findKeychainItem(items, service, account);
        if (clash != items.end() && clash != target)
            return errSecDuplicateItem;
        target->service = service;
        target->account = account;
        if (data)
            target->data = *data;
        target->modified = keychainTimestamp();
        return errSecSuccess;
    });
    if (status == errSecSuccess) {
        ref->service = service;
        ref->account = account;
    }
    return status;
}

OSStatus KeychainServicesEmulated::deleteItem(const SecKeychainItemRef& item)
{
    const auto* ref = dynamic_cast<const EmulatedKeychainItem*>(item.get());
    if (!ref)
        return errSecInvalidItemRef;
    return modifyKeychain(ref->file, paths_.root(), [&](KeychainItems& items) {
        const auto target = findKeychainItem(items, ref->service, ref->account);
        if (target == items.end())
            return errSecInvalidItemRef;
        items.erase(target);
        return errSecSuccess;
    });
}

OSStatus KeychainServicesEmulated::freeContent(SecKeychainData& data)
{
    // Overwrite first: clearing alone would leave the password in the freed memory.
    std::fill(data.begin(), data.end(), std::uint8_t{0});
    SecKeychainData().swap(data);
    return errSecSuccess;
}

OSStatus KeychainServicesEmulated::setUserInteractionAllowed(bool allowed)
{
    userInteractionAllowed_ = allowed;
    return errSecSuccess;
}

std::string KeychainServicesEmulated::errorMessage(OSStatus status) const
{
    return keychainErrorMessage(status);
}

} // namespace veltrona
