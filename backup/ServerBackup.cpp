#include "backup/ServerBackup.h"

#include "foundation/PlistIO.h"
#include "foundation/PlistValue.h"
#include "profiles/SigningMaterial.h"
#include "vpnserver/ServerFileLocations.h"

#include <array>

namespace veltrona {

namespace {

constexpr const char* kUniqueIDAttribute = "dsAttrTypeStandard:UniqueID";

const std::string* stringMember(const PlistDictionary& dictionary, std::string_view key)
{
    const PlistValue* value = dictionary.find(key);
    return value ? value->string() : nullptr;
}

std::optional<BackedUpAccount> readAccount(const PlistValue& value)
{
    const PlistDictionary* dictionary = value.dictionary();
    const std::string* name = dictionary ? stringMember(*dictionary, "Name") : nullptr;
    const PlistValue* attributes = dictionary ? dictionary->find("Attributes") : nullptr;
    // A name that is no record name could lead the record's path elsewhere or pass for an option.
    if (!name || name->empty() || *name == "." || *name == ".." || name->front() == '-'
        || name->find_first_of(std::string_view("/\0", 2)) != std::string::npos || !attributes
        || !attributes->dictionary())
        return std::nullopt;
    return backedUpAccount(*name, *attributes->dictionary());
}

} // namespace

std::optional<BackedUpAccount> backedUpAccount(std::string name, const PlistDictionary& attributes)
{
    BackedUpAccount account{std::move(name), {}};
    for (const auto& [key, values] : attributes) {
        if (!values.array())
            return std::nullopt;
        std::vector<std::string> texts;
        for (const PlistValue& item : *values.array()) {
            if (!item.string())
                return std::nullopt;
            texts.push_back(*item.string());
        }
        account.attributes.emplace_back(key, std::move(texts));
    }
    return account;
}

std::string vpnAccountCountText(std::size_t count)
{
    return std::to_string(count) + (count == 1 ? " VPN account" : " VPN accounts");
}

std::string BackedUpAccount::uniqueID() const
{
    for (const auto& [key, values] : attributes) {
        if (key == kUniqueIDAttribute && !values.empty())
            return values.front();
    }
    return {};
}

bool isRestorablePath(const std::string& platformPath)
{
    const std::array<std::string, 3> folders = {std::string(kInstallationDirectory) + "/", kCertificateFolder,
                                                kPrivateKeyFolder};
    for (const std::string& folder : folders) {
        if (!platformPath.starts_with(folder))
            continue;
        const std::string name = platformPath.substr(folder.size());
        return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos
               && name.find('\0') == std::string::npos;
    }
    return false;
}

// launchd runs the job's program as root: a job file is restored only when it is the one the
// program itself installs (vpnd for L2TP or PPTP), whoever made the backup.
static bool isOurJob(std::string_view bytes)
{
    const std::optional<PlistValue> job = parsePlist(bytes);
    const PlistDictionary* root = job ? job->dictionary() : nullptr;
    const PlistValue* label = root ? root->find("Label") : nullptr;
    const PlistValue* arguments = root ? root->find("ProgramArguments") : nullptr;
    if (!label || !label->string() || *label->string() != "com.brantholm.vpn" || !arguments || !arguments->array())
        return false;
    std::vector<std::string> words;
    for (const PlistValue& word : *arguments->array()) {
        if (!word.string())
            return false;
        words.push_back(*word.string());
    }
    return words == std::vector<std::string>{"/usr/sbin/vpnd", "-x", "-i", "com.apple.ppp.L2TP"}
           || words == std::vector<std::string>{"/usr/sbin/vpnd", "-x", "-i", "com.apple.ppp.PPTP"};
}

std::string backupPayload(const ServerBackup& backup)
{
    PlistDictionary root;
    root.set("Host", backup.host);
    root.set("Type", backup.type);
    root.set("Date", backup.date);
    PlistDictionary files;
    for (const auto& [path, bytes] : backup.files)
        files.set(path, PlistData(bytes.begin(), bytes.end()));
    root.set("Files", std::move(files));
    root.set("SharedSecret", backup.sharedSecret);
    PlistArray accounts;
    for (const BackedUpAccount& account : backup.accounts) {
        PlistDictionary attributes;
        for (const auto& [key, values] : account.attributes) {
            PlistArray array;
            for (const std::string& value : values)
                array.emplace_back(value);
            attributes.set(key, std::move(array));
        }
        PlistDictionary entry;
        entry.set("Name", account.name);
        entry.set("Attributes", std::move(attributes));
        accounts.emplace_back(std::move(entry));
    }
    root.set("Accounts", std::move(accounts));
    return plistToXml(root);
}

std::optional<ServerBackup> readBackupPayload(std::string_view payload)
{
    const std::optional<PlistValue> parsed = parsePlist(payload);
    const PlistDictionary* root = parsed ? parsed->dictionary() : nullptr;
    if (!root)
        return std::nullopt;
    const std::string* host = stringMember(*root, "Host");
    const std::string* type = stringMember(*root, "Type");
    const std::string* date = stringMember(*root, "Date");
    const std::string* secret = stringMember(*root, "SharedSecret");
    const PlistValue* files = root->find("Files");
    const PlistValue* accounts = root->find("Accounts");
    if (!host || !type || !date || !secret || !files || !files->dictionary() || !accounts || !accounts->array())
        return std::nullopt;
    ServerBackup backup{*host, *type, *date, {}, *secret, {}};
    for (const auto& [path, bytes] : *files->dictionary()) {
        if (!bytes.data() || !isRestorablePath(path))
            return std::nullopt;
        std::string content(bytes.data()->begin(), bytes.data()->end());
        if (path == std::string(kInstallationDirectory) + "/" + kJobFileName && !isOurJob(content))
            return std::nullopt;
        backup.files.emplace(path, std::move(content));
    }
    for (const PlistValue& value : *accounts->array()) {
        std::optional<BackedUpAccount> account = readAccount(value);
        if (!account)
            return std::nullopt;
        backup.accounts.push_back(std::move(*account));
    }
    return backup;
}

} // namespace veltrona
