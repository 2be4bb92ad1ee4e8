#include "platform/emulated/KeychainFile.h"

#include "foundation/PlistIO.h"
#include "platform/FolderLock.h"

#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace veltrona {

namespace {

constexpr const char* kItemsKey = "Items";

const std::string* stringFor(const PlistDictionary& item, std::string_view key)
{
    const PlistValue* value = item.find(key);
    return value ? value->string() : nullptr;
}

// Any item that is not whole makes the file invalid: guessing would risk writing back less.
bool decodeItem(const PlistValue& value, KeychainItemRecord& item)
{
    const PlistDictionary* dict = value.dictionary();
    if (!dict)
        return false;
    const std::string* cls = stringFor(*dict, "class");
    const std::string* account = stringFor(*dict, "acct");
    const std::string* service = stringFor(*dict, "svce");
    const PlistValue* data = dict->find("data");
    if (!cls || *cls != "genp" || !account || !service || !data || !data->data())
        return false;
    item.account = *account;
    item.service = *service;
    item.data = *data->data();
    if (const PlistValue* access = dict->find("access")) {
        if (!access->array())
            return false;
        for (const PlistValue& path : *access->array()) {
            if (!path.string())
                return false;
            item.access.push_back(*path.string());
        }
    }
    if (const std::string* created = stringFor(*dict, "cdat"))
        item.created = *created;
    if (const std::string* modified = stringFor(*dict, "mdat"))
        item.modified = *modified;
    return true;
}

PlistValue encodeItem(const KeychainItemRecord& item)
{
    PlistDictionary dict;
    dict.set("class", "genp");
    dict.set("acct", item.account);
    dict.set("svce", item.service);
    dict.set("data", item.data);
    PlistArray access;
    for (const std::string& path : item.access)
        access.emplace_back(path);
    dict.set("access", std::move(access));
    dict.set("cdat", item.created);
    dict.set("mdat", item.modified);
    return dict;
}

bool validUtf8(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead < 0x80           ? 1
                                   : (lead >> 5) == 0x6  ? 2
                                   : (lead >> 4) == 0xE  ? 3
                                   : (lead >> 3) == 0x1E ? 4
                                                         : 0;
        if (length == 0 || i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += length;
    }
    return true;
}

// Names are kept as property-list strings, which must be UTF-8 to survive a write and a read.
bool storable(const KeychainItemRecord& item)
{
    if (!validUtf8(item.account) || !validUtf8(item.service))
        return false;
    for (const std::string& path : item.access)
        if (!validUtf8(path))
            return false;
    return true;
}

OSStatus writeKeychain(const std::filesystem::path& file, const KeychainItems& items,
                       const std::filesystem::path& within)
{
    PlistArray encoded;
    for (const KeychainItemRecord& item : items)
        encoded.push_back(encodeItem(item));
    PlistDictionary root;
    root.set(kItemsKey, std::move(encoded));
    // Written 0600 from its first byte: its items are never readable by others.
    return writePlistAtomically(root, file, FileAccess::OwnerOnly, within) ? errSecSuccess : errSecIO;
}

} // namespace

OSStatus readKeychain(const std::filesystem::path& file, KeychainItems& items)
{
    items.clear();
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(file, ec);
    if (ec || status.type() == std::filesystem::file_type::not_found)
        return ec && ec != std::errc::no_such_file_or_directory ? errSecNoSuchKeychain : errSecSuccess;
    // A new keychain is created empty just before its first write lands.
    if (status.type() == std::filesystem::file_type::regular && std::filesystem::file_size(file, ec) == 0 && !ec)
        return errSecSuccess;
    std::optional<PlistValue> root = readPlistFile(file);
    const PlistDictionary* dict = root ? root->dictionary() : nullptr;
    const PlistValue* list = dict ? dict->find(kItemsKey) : nullptr;
    if (!list || !list->array())
        return errSecInvalidKeychain;
    KeychainItems decoded;
    for (const PlistValue& value : *list->array()) {
        KeychainItemRecord item;
        if (!decodeItem(value, item))
            return errSecInvalidKeychain;
        decoded.push_back(std::move(item));
    }
    items = std::move(decoded);
    return errSecSuccess;
}

OSStatus modifyKeychain(const std::filesystem::path& file, const std::filesystem::path& platformRoot,
                        const std::function<OSStatus(KeychainItems&)>& change)
{
    FolderLock lock(file.parent_path());
    if (!lock.locked())
        return errSecNoSuchKeychain;
    KeychainItems items;
    if (OSStatus status = readKeychain(file, items); status != errSecSuccess)
        return status;
    if (OSStatus status = change(items); status != errSecSuccess)
        return status;
    for (const KeychainItemRecord& item : items)
        if (!storable(item))
            return errSecParam;
    return writeKeychain(file, items, platformRoot);
}

KeychainItems::iterator findKeychainItem(KeychainItems& items, std::optional<std::string_view> service,
                                         std::optional<std::string_view> account)
{
    return std::find_if(items.begin(), items.end(), [&](const KeychainItemRecord& item) {
        return (!service || item.service == *service) && (!account || item.account == *account);
    });
}

std::string keychainTimestamp()
{
    const std::time_t now = std::time(nullptr);
    std::tm utc{};
    ::gmtime_r(&now, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d%H%M%SZ", &utc);
    return text;
}

} // namespace veltrona
