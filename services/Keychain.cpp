#include "services/Keychain.h"

#include "foundation/Utf8.h"

#include <algorithm>
#include <cstddef>

namespace veltrona {

namespace {

// The longest password a read gives back, as a 1024-byte C buffer with its terminator holds.
constexpr std::size_t kMaxPasswordBytes = 1023;

// Names and passwords end at their first zero byte, as the C strings they once were.
std::string_view upToZero(std::string_view text)
{
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

} // namespace

void Keychain::storePassword(std::string_view password, std::string_view userName)
{
    const std::string service = process_.processName();
    const OSStatus status =
        keychain_.addGenericPassword(nullptr, upToZero(service), upToZero(userName), upToZero(password), nullptr);
    if (status != errSecDuplicateItem)
        return;
    SecKeychainItemRef item;
    if (keychain_.findGenericPassword(nullptr, upToZero(service), upToZero(userName), nullptr, &item) == errSecSuccess
        && item)
        changePassword(password, userName, item);
}

std::string Keychain::getPasswordForUser(std::string_view userName)
{
    return getPasswordForUser(userName, std::nullopt, std::nullopt);
}

std::string Keychain::getPasswordForUser(std::string_view userName, const std::optional<std::string>& appName,
                                         const std::optional<std::string>& keychainPath)
{
    SecKeychainRef keychain;
    if (keychainPath)
        keychain_.open(*keychainPath, keychain); // a bad file shows in the find below
    const std::string service = appName ? *appName : process_.processName();

    SecKeychainData data;
    const OSStatus status =
        keychain_.findGenericPassword(keychain, upToZero(service), upToZero(userName), &data, nullptr);
    std::string result;
    if (status != errSecSuccess) {
        log_.log("error = " + keychain_.errorMessage(status));
        result = "ERROR";
    } else {
        const std::size_t taken = std::min(data.size(), kMaxPasswordBytes);
        std::string bytes(data.begin(), data.begin() + static_cast<std::ptrdiff_t>(taken));
        bytes = std::string(upToZero(bytes));
        // The cut at 1023 bytes may split a character; keep the text whole rather than lose it.
        bytes.resize(withoutCutCharacter(bytes));
        if (isValidUtf8(bytes)) {
            result = std::move(bytes);
        } else {
            log_.log("error = The stored password is not UTF-8 text.");
            result = "ERROR";
        }
        keychain_.freeContent(data);
    }
    if (keychainPath) {
        keychain.reset();
        keychain_.setUserInteractionAllowed(true);
    }
    return result;
}

void Keychain::changePassword(std::string_view password, std::string_view userName, const SecKeychainItemRef& item)
{
    const std::vector<SecKeychainAttribute> attributes{
        {kSecAccountItemAttr, std::string(upToZero(userName))},
        {kSecServiceItemAttr, std::string(upToZero(process_.processName()))},
    };
    const std::string_view passwordText = upToZero(password);
    const SecKeychainData data(passwordText.begin(), passwordText.end());
    keychain_.modifyAttributesAndData(item, attributes, &data);
}

void Keychain::deletePasswordForUser(std::string_view userName)
{
    const std::string service = process_.processName();
    SecKeychainItemRef item;
    if (keychain_.findGenericPassword(nullptr, upToZero(service), upToZero(userName), nullptr, &item) == errSecSuccess
        && item)
        keychain_.deleteItem(item);
}

} // namespace veltrona
