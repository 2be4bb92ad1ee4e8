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

void Keychain::storePassword(const KeychainContext& context, std::string_view password, std::string_view userName)
{
    const std::string service = context.process.processName();
    const OSStatus status = context.keychain.addGenericPassword(nullptr, upToZero(service), upToZero(userName),
                                                                upToZero(password), nullptr);
    if (status != errSecDuplicateItem)
        return;
    SecKeychainItemRef item;
    if (context.keychain.findGenericPassword(nullptr, upToZero(service), upToZero(userName), nullptr, &item) == errSecSuccess
        && item)
        changePassword(context, password, userName, item);
}

std::string Keychain::getPasswordForUser(const KeychainContext& context, std::string_view userName)
{
    return getPasswordForUser(context, userName, std::nullopt, std::nullopt);
}

std::string Keychain::getPasswordForUser(const KeychainContext& context, std::string_view userName,
                                         const std::optional<std::string>& appName,
                                         const std::optional<std::string>& keychainPath)
{
    SecKeychainRef keychain;
    if (keychainPath)
        context.keychain.open(*keychainPath, keychain); // a bad file shows in the find below
    const std::string service = appName ? *appName : context.process.processName();

    SecKeychainData data;
    const OSStatus status = context.keychain.findGenericPassword(keychain, upToZero(service), upToZero(userName), &data, nullptr);
    std::string result;
    if (status != errSecSuccess) {
        context.log.log("error = " + context.keychain.errorMessage(status));
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
            context.log.log("error = The stored password is not UTF-8 text.");
            result = "ERROR";
        }
        context.keychain.freeContent(data);
    }
    if (keychainPath) {
        keychain.reset();
        context.keychain.setUserInteractionAllowed(true);
    }
    return result;
}

void Keychain::changePassword(const KeychainContext& context, std::string_view password, std::string_view userName,
                              const SecKeychainItemRef& item)
{
    const std::vector<SecKeychainAttribute> attributes{
        {kSecAccountItemAttr, std::string(upToZero(userName))},
        {kSecServiceItemAttr, std::string(upToZero(context.process.processName()))},
    };
    const std::string_view passwordText = upToZero(password);
    const SecKeychainData data(passwordText.begin(), passwordText.end());
    context.keychain.modifyAttributesAndData(item, attributes, &data);
}

void Keychain::deletePasswordForUser(const KeychainContext& context, std::string_view userName)
{
    const std::string service = context.process.processName();
    SecKeychainItemRef item;
    if (context.keychain.findGenericPassword(nullptr, upToZero(service), upToZero(userName), nullptr, &item) == errSecSuccess
        && item)
        context.keychain.deleteItem(item);
}

} // namespace veltrona
