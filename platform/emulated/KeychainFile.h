#pragma once
// Our keychain file: an XML property list {Items: [item...]}, each item a dictionary with class
// "genp", acct, svce, data, access (paths of trusted applications), cdat and mdat
// ("YYYYMMDDhhmmssZ", UTC). Mode 0600; replaced atomically under the folder's lock.

#include "platform/KeychainServices.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

struct KeychainItemRecord {
    std::string account;
    std::string service;
    SecKeychainData data;
    std::vector<std::string> access;
    std::string created;
    std::string modified;
};
using KeychainItems = std::vector<KeychainItemRecord>;

// Reads the items. A missing file is an empty keychain; a file that is no keychain of ours gives
// errSecInvalidKeychain and no items.
OSStatus readKeychain(const std::filesystem::path& file, KeychainItems& items);

// Runs `change` on the items under the folder's lock and writes them back when it succeeds.
// Nothing is written when the file cannot be read or `change` fails, so no item is ever lost;
// nor when the file, links resolved, lies outside `platformRoot`.
OSStatus modifyKeychain(const std::filesystem::path& file, const std::filesystem::path& platformRoot,
                        const std::function<OSStatus(KeychainItems&)>& change);

// The first item whose service and account equal the given ones; a missing criterion matches any.
KeychainItems::iterator findKeychainItem(KeychainItems& items, std::optional<std::string_view> service,
                                         std::optional<std::string_view> account);

// The current time in the keychain's date form.
std::string keychainTimestamp();

} // namespace veltrona
