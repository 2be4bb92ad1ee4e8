#include "platform/vpnd/VpndSettings.h"

#include "foundation/AddressText.h"
#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "foundation/Text.h"
#include "platform/emulated/KeychainFile.h"

namespace veltrona {

namespace {

constexpr const char* kSystemKeychain = "/Library/Keychains/System.keychain";

// "Servers.com.apple.ppp.L2TP": the key path of the entry, one component at a time.
std::string entryKeyPath(const std::string& serverId)
{
    return "Servers." + serverId;
}

// The secret racoon would read; nothing, with the reason, when there is none to serve with.
std::optional<std::string> sharedSecret(const PlatformPaths& paths, std::string& reason)
{
    KeychainItems items;
    if (readKeychain(paths.map(kSystemKeychain), items) != errSecSuccess) {
        reason = "the System keychain cannot be read";
        return std::nullopt;
    }
    auto item = findKeychainItem(items, kRacoonService, kRacoonAccount);
    if (item == items.end() || item->data.empty()) {
        reason = "no shared secret is stored in the System keychain";
        return std::nullopt;
    }
    return std::string(item->data.begin(), item->data.end());
}

} // namespace

std::string ipv4Text(Ipv4 address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xff) + "."
           + std::to_string((address >> 8) & 0xff) + "." + std::to_string(address & 0xff);
}

VpndSettingsResult readVpndSettings(const PlatformPaths& paths, const std::string& serverId)
{
    const std::optional<PlistValue> file = readPlistDictionaryFile(paths.map(kRemoteAccessServersFile));
    if (!file)
        return std::string("the server configuration ") + kRemoteAccessServersFile + " cannot be read";
    const PlistValue* entry = valueForKeyPath(*file, entryKeyPath(serverId));
    if (!entry || !entry->dictionary())
        return "the server configuration has no entry " + serverId;

    VpndSettings settings;
    const std::vector<std::string> range = stringsIn(valueForKeyPath(*entry, "IPv4.DestAddressRanges"));
    const std::optional<Ipv4> first = range.size() >= 2 ? ipv4Number(trimWhitespace(range[0])) : std::nullopt;
    const std::optional<Ipv4> last = range.size() >= 2 ? ipv4Number(trimWhitespace(range[1])) : std::nullopt;
    if (!first || !last || *first > *last || (*first >> 24) == 0 || (*first >> 24) == 127 || (*last >> 24) >= 224)
        return std::string("the client address range is not a range of IPv4 addresses");
    settings.firstAddress = *first;
    settings.lastAddress = *last;

    for (const std::string& server : stringsIn(valueForKeyPath(*entry, "DNS.OfferedServerAddresses")))
        if (std::optional<Ipv4> address = ipv4Number(trimWhitespace(server)))
            settings.dnsServers.push_back(*address);
    for (const std::string& domain : stringsIn(valueForKeyPath(*entry, "DNS.OfferedSearchDomains"))) {
        settings.searchDomain = trimWhitespace(domain);
        if (!settings.searchDomain.empty())
            break;
    }

    std::string reason;
    std::optional<std::string> secret = sharedSecret(paths, reason);
    if (!secret)
        return reason;
    settings.sharedSecret = std::move(*secret);
    return settings;
}

} // namespace veltrona
