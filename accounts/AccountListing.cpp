#include "accounts/AccountListing.h"

#include "accounts/ListedUser.h"
#include "foundation/Text.h"

#include <algorithm>

namespace veltrona {

namespace {

bool isVpnUser(const ListedUser& user)
{
    return isVpnAccountRecord(user.uniqueId.value_or(""), user.realName.value_or(""));
}

} // namespace

bool isVpnAccountRecord(std::string_view uniqueId, std::string_view realName)
{
    const int id = intValue(uniqueId);
    return id >= kFirstVpnUserId && id <= kLastVpnUserId && realName == kVpnUserRealName;
}

bool isListedVpnUser(const std::vector<AccountRecord>& accounts, const std::string& name)
{
    return std::any_of(accounts.begin(), accounts.end(),
                       [&](const AccountRecord& account) { return account.userName == name; });
}

std::vector<std::string> accountListingArguments()
{
    return {"/bin/sh", "-c", kAccountListingCommand};
}

std::optional<std::vector<AccountRecord>> parseAccountListing(std::string_view text)
{
    std::optional<std::vector<ListedUser>> users = scanListing(text);
    if (!users)
        users = readListing(text);
    if (!users)
        return std::nullopt;
    std::vector<AccountRecord> accounts;
    for (const ListedUser& user : *users) {
        // A row without a name could only feed empty names to the account commands.
        if (!isVpnUser(user) || !user.recordName || user.recordName->empty())
            continue;
        accounts.push_back({*user.recordName, user.userShell == "/usr/bin/false" ? "1" : "0"});
    }
    return accounts;
}

std::vector<AccountRecord> loadVpnAccounts(CommandRunner& runner, SystemLog& log)
{
    runner.setArgs(accountListingArguments());
    std::optional<std::vector<AccountRecord>> accounts = parseAccountListing(runner.startProcessGetResult());
    if (!accounts) {
        log.log("can't read the account listing");
        return {};
    }
    return std::move(*accounts);
}

} // namespace veltrona
