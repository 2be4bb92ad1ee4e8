// check: the setup checks the window's "Check Setup…" runs, on the installed settings and the
// secret the System keychain holds. Exit 0 when nothing failed (warnings allowed), 1 otherwise.
#include "cli/AccountView.h"
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "network/NetworkValues.h"
#include "profiles/SigningMaterial.h"
#include "vpnserver/SetupChecks.h"
#include "vpnserver/SharedSecret.h"

namespace veltrona::cli {

namespace {

std::string padded(std::string_view text, std::size_t width)
{
    std::string line(text);
    line.resize(std::max(width, text.size() + 1), ' ');
    return line;
}

} // namespace

Result checkCommand(Session& session)
{
    SetupCheckInput input;
    input.settings = installedSettings(session).settings;
    input.settings.sharedSecret = storedSharedSecret(session.paths(), session.runner());
    const std::optional<std::vector<AccountRecord>> accounts = listVpnAccounts(session);
    if (!accounts)
        return failed(kPlatformFailed, kListingUnreadable);
    for (const AccountRecord& account : *accounts)
        input.vpnAccounts.push_back(account.userName);
    input.machineAddresses = readNetworkValues(*session.platform().dynamicStore).addresses;
    const std::string& host = input.settings.vpnHost;
    // A host that cannot be a file name has no certificate of its own.
    if (!host.empty() && host.find('/') == std::string::npos && host.find('\0') == std::string::npos) {
        const SigningFiles files = signingFilesFor(session.paths(), host);
        input.signing = {files.certificate, files.key, files.intermediate};
    }

    const std::vector<SetupCheck> checks = runSetupChecks(session.runner(), session.paths(), input);
    std::string text;
    Json::Array rows;
    for (const SetupCheck& check : checks) {
        text += padded(check.name + ":", 25) + padded(resultText(check.result), 9) + check.message + "\n";
        rows.push_back(
            Json::object({{"name", check.name}, {"result", resultText(check.result)}, {"message", check.message}}));
    }
    text.pop_back();
    Result result = done(std::move(text), {{"checks", std::move(rows)}});
    if (const std::optional<SetupCheck> failure = firstFailedCheck(checks)) {
        result.code = kRefused;
        result.textOnStandardOutput = true;
        result.jsonError = failedCheckLogLine(*failure);
    }
    return result;
}

} // namespace veltrona::cli
