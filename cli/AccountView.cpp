#include "cli/AccountView.h"

#include "accounts/AccountListing.h"

#include <algorithm>

namespace veltrona::cli {

std::optional<std::vector<AccountRecord>> listVpnAccounts(Session& session)
{
    session.runner().setArgs(accountListingArguments());
    return parseAccountListing(session.runner().startProcessGetResult());
}

} // namespace veltrona::cli
