#include "platform/tools/securityCommand.h"

#include "platform/emulated/KeychainFile.h"
#include "platform/emulated/KeychainMessages.h"
#include "platform/tools/ToolOptions.h"
#include "platform/tools/securityItemPrinter.h"

#include <optional>

namespace veltrona {

namespace {

constexpr int kUsageExit = 2;

struct Keychain {
    std::optional<std::string> file; // on this machine; nothing when the name was refused
    std::string shown;               // as the Mac would name it
};

Keychain keychainFor(const PlatformPaths& paths, const std::string& given)
{
    std::optional<std::string> file = paths.hostPath(given);
    return {file, file ? paths.platformPath(*file) : given};
}

std::vector<Keychain> keychainsFor(const PlatformPaths& paths, const std::vector<std::string>& operands)
{
    std::vector<Keychain> keychains;
    for (const std::string& operand : operands)
        keychains.push_back(keychainFor(paths, operand));
    if (keychains.empty())
        keychains.push_back({paths.map(kSystemKeychain), kSystemKeychain});
    return keychains;
}

struct Criteria {
    std::optional<std::string> account;
    std::optional<std::string> service;
};

int fail(std::ostream& err, const std::string& what, OSStatus status)
{
    err << "security: " << what << ": " << keychainErrorMessage(status) << "\n";
    return keychainExitStatus(status);
}

int usage(std::ostream& err, const char* line)
{
    err << "Usage: " << line << "\n";
    return kUsageExit;
}

int addGenericPassword(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& err)
{
    constexpr const char* kUsage =
        "add-generic-password [-a account] [-s service] [-w password] [-U] [-T appPath] [keychain]";
    std::optional<ParsedOptions> parsed = parseOptions(arguments, "a:s:p:w:T:U");
    if (!parsed || parsed->operands.size() > 1)
        return usage(err, kUsage);
    KeychainItemRecord record;
    bool update = false;
    for (const auto& [option, value] : parsed->options) {
        switch (option) {
        case 'a': record.account = value; break;
        case 's': record.service = value; break;
        case 'p':
        case 'w': record.data.assign(value.begin(), value.end()); break;
        case 'T':
            // An empty path means "no application", as on the Mac.
            if (!value.empty())
                record.access.push_back(value);
            break;
        case 'U': update = true; break;
        default: return usage(err, kUsage);
        }
    }
    const Keychain keychain = parsed->operands.empty() ? Keychain{paths.map(kSystemKeychain), "<default>"}
                                                       : keychainFor(paths, parsed->operands.front());
    const std::string what = "SecKeychainItemCreateFromContent (" + keychain.shown + ")";
    if (!keychain.file)
        return fail(err, what, errSecNoSuchKeychain);
    record.created = record.modified = keychainTimestamp();
    const OSStatus status = modifyKeychain(*keychain.file, paths.root(), [&](KeychainItems& items) {
        const auto existing = findKeychainItem(items, record.service, record.account);
        if (existing == items.end()) {
            items.push_back(record);
            return errSecSuccess;
        }
        if (!update)
            return errSecDuplicateItem;
        existing->data = record.data;
        if (!record.access.empty())
            existing->access = record.access;
        existing->modified = record.modified;
        return errSecSuccess;
    });
    return status == errSecSuccess ? 0 : fail(err, what, status);
}

// The first matching item over the keychains in order, with the keychain that holds it.
OSStatus search(const std::vector<Keychain>& keychains, const Criteria& criteria, Keychain& holder,
                KeychainItemRecord& found)
{
    for (const Keychain& keychain : keychains) {
        if (!keychain.file)
            return errSecNoSuchKeychain;
        KeychainItems items;
        if (OSStatus status = readKeychain(*keychain.file, items); status != errSecSuccess)
            return status;
        const auto item = findKeychainItem(items, criteria.service, criteria.account);
        if (item != items.end()) {
            holder = keychain;
            found = *item;
            return errSecSuccess;
        }
    }
    return errSecItemNotFound;
}

int findGenericPassword(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                        std::ostream& err)
{
    std::optional<ParsedOptions> parsed = parseOptions(arguments, "a:s:gw");
    if (!parsed)
        return usage(err, "find-generic-password [-a account] [-s service] [-g] [-w] [keychain...]");
    Criteria criteria;
    bool showPassword = false;
    bool passwordOnly = false;
    for (const auto& [option, value] : parsed->options) {
        if (option == 'a')
            criteria.account = value;
        else if (option == 's')
            criteria.service = value;
        else if (option == 'g')
            showPassword = true;
        else
            passwordOnly = true;
    }
    Keychain holder;
    KeychainItemRecord item;
    if (OSStatus status = search(keychainsFor(paths, parsed->operands), criteria, holder, item);
        status != errSecSuccess)
        return fail(err, "SecKeychainSearchCopyNext", status);
    const std::string password(item.data.begin(), item.data.end());
    if (passwordOnly) {
        out << password << "\n";
        return 0;
    }
    printKeychainItem(out, holder.shown, item);
    if (showPassword)
        err << "password: " << securityQuoted(password) << "\n";
    return 0;
}

int deleteGenericPassword(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                          std::ostream& err)
{
    std::optional<ParsedOptions> parsed = parseOptions(arguments, "a:s:");
    if (!parsed)
        return usage(err, "delete-generic-password [-a account] [-s service] [keychain...]");
    Criteria criteria;
    for (const auto& [option, value] : parsed->options)
        (option == 'a' ? criteria.account : criteria.service) = value;
    Keychain holder;
    KeychainItemRecord item;
    if (OSStatus status = search(keychainsFor(paths, parsed->operands), criteria, holder, item);
        status != errSecSuccess)
        return fail(err, "SecKeychainSearchCopyNext", status);
    // Another writer may have removed it meanwhile: delete what is there under the lock.
    const OSStatus status = modifyKeychain(*holder.file, paths.root(), [&](KeychainItems& items) {
        const auto target = findKeychainItem(items, item.service, item.account);
        if (target == items.end())
            return errSecItemNotFound;
        item = *target;
        items.erase(target);
        return errSecSuccess;
    });
    if (status == errSecItemNotFound)
        return fail(err, "SecKeychainSearchCopyNext", status);
    if (status != errSecSuccess)
        return fail(err, "SecKeychainItemDelete", status);
    printKeychainItem(out, holder.shown, item);
    out.flush();
    err << "password has been deleted.\n";
    return 0;
}

} // namespace

int runSecurity(const std::vector<std::string>& arguments, const PlatformPaths& paths, std::ostream& out,
                std::ostream& err)
{
    if (arguments.empty())
        return usage(err, "security [command] [opt ...]");
    const std::string& command = arguments[0];
    const std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (command == "add-generic-password")
        return addGenericPassword(rest, paths, err);
    if (command == "find-generic-password")
        return findGenericPassword(rest, paths, out, err);
    if (command == "delete-generic-password")
        return deleteGenericPassword(rest, paths, out, err);
    err << "security: unknown command \"" << command << "\"\n";
    return 1;
}

} // namespace veltrona
