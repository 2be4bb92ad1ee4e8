// users, users add/passwd/delete NAME: the account sheets and the deletion's alerts, with the
// passwords on standard input and --yes in place of the confirmation.
#include "accounts/AccountActions.h"
#include "accounts/AccountEntry.h"
#include "cli/AccountView.h"
#include "cli/Commands.h"

namespace veltrona::cli {

namespace {

std::string alertText(const AlertText& alert)
{
    return alert.messageText + "\n" + alert.informativeText;
}

Result listUsers(Session& session)
{
    const std::optional<std::vector<AccountRecord>> accounts = listVpnAccounts(session);
    if (!accounts)
        return failed(kPlatformFailed, kListingUnreadable);
    std::string text;
    Json::Array users;
    users.reserve(accounts->size());
    for (const AccountRecord& account : *accounts) {
        text += account.userName + "\n";
        users.push_back(Json::object({{"userName", account.userName}, {"userHidden", account.userHidden}}));
    }
    if (!text.empty())
        text.pop_back();
    return done(std::move(text), {{"users", std::move(users)}});
}

// The password and its repetition, one a line; a pipe without a second line repeats the first.
std::pair<std::string, std::string> newPassword(InputLines& input)
{
    const std::string password = input.next("New password: ").value_or("");
    std::optional<std::string> verify = input.next("Again: ");
    return {password, verify ? *verify : InputLines::fromTerminal() ? std::string() : password};
}

// The window acts on listed VPN users only; so does the command line.
std::optional<Failure> requireListed(Session& session, const std::string& name)
{
    const std::optional<std::vector<AccountRecord>> accounts = listVpnAccounts(session);
    if (!accounts)
        return Failure{kPlatformFailed, kListingUnreadable};
    if (!isListedVpnUser(*accounts, name))
        return Failure{kRefused, "There is no VPN user named " + name + "."};
    return std::nullopt;
}

Result entryFailure(const EntryProblem& problem)
{
    return failed(problem.platformFailed ? kPlatformFailed : kRefused, problem.message);
}

Result addUser(Session& session, const std::string& name, InputLines& input)
{
    // The name is taken as it stands, as the window takes its field: one the entry filter would
    // change is refused before a password is asked for.
    if (std::optional<EntryProblem> problem = checkAccountName(name))
        return entryFailure(*problem);
    auto [password, verify] = newPassword(input);
    NewAccountEntry entry{name, password, verify};
    if (std::optional<EntryProblem> problem = checkNewAccountEntry(entry, true))
        return entryFailure(*problem);
    if (std::optional<EntryProblem> problem =
            createVPNAccount(session.runner(), session.paths(), entry.name, entry.password))
        return entryFailure(*problem);
    session.platform().notifications->postNotificationName(kUserWasRemovedNotification);
    // A record with a UniqueID the list does not show would be no VPN account.
    if (std::optional<Failure> missing = requireListed(session, entry.name))
        return failed(kPlatformFailed, "The VPN user " + entry.name + " was not created.");
    return done("The VPN user " + entry.name + " is created.", {{"userName", entry.name}});
}

Result resetPassword(Session& session, const std::string& name, InputLines& input)
{
    if (std::optional<Failure> missing = requireListed(session, name))
        return failed(*missing);
    auto [password, verify] = newPassword(input);
    if (std::optional<EntryProblem> problem = checkPasswordReset(password, verify))
        return entryFailure(*problem);
    if (std::optional<EntryProblem> problem = resetVPNAccountPassword(session.runner(), name, password))
        return entryFailure(*problem);
    return done("The password of " + name + " is changed.", {{"userName", name}});
}

Result deleteUser(Session& session, const std::string& name, bool confirmed)
{
    if (isAdministrator(session.runner(), name))
        return failed(kRefused, alertText(administratorRefusalAlert(name)), {{"userName", name}});
    if (std::optional<Failure> missing = requireListed(session, name))
        return failed(*missing);
    if (!confirmed)
        return failed(kRefused, alertText(deletionConfirmationAlert(name)) + "\nRun again with --yes to delete it.",
                      {{"userName", name}});
    const bool gone = deleteVPNAccount(session.runner(), name);
    session.platform().notifications->postNotificationName(kUserWasRemovedNotification);
    if (!gone || !requireListed(session, name).has_value())
        return failed(kPlatformFailed, alertText(deletionFailedAlert(name)), {{"userName", name}});
    return done(alertText(deletionDoneAlert(name)), {{"userName", name}});
}

} // namespace

Result usersCommand(Session& session, const CliOptions& options, InputLines& input)
{
    const std::vector<std::string>& words = options.words;
    if (words.size() == 1)
        return listUsers(session);
    const std::string& action = words[1];
    const std::string& name = words[2];
    if (action == "add")
        return addUser(session, name, input);
    if (action == "passwd")
        return resetPassword(session, name, input);
    return deleteUser(session, name, options.flags.contains("--yes"));
}

} // namespace veltrona::cli
