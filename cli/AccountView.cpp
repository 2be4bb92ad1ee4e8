#include "cli/AccountView.h"

#include "accounts/AccountListing.h"

#include <algorithm>

namespace veltrona::cli {

std::optional<std::vector<AccountRecord>> listVpnAccounts(Session& session)
{
    session.runner().setArgs(accountListingArguments());
    return parseAccountListing(session.runner().startProcessGetResult());
}

bool isListedVpnUser(const std::vector<AccountRecord>& accounts, const std::string& name)
{
    return std::any_of(accounts.begin(), accounts.end(),
                       [&](const AccountRecord& account) { return account.userName == name; });
}

} // namespace veltrona::cli
