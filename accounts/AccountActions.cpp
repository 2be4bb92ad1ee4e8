#include "accounts/AccountActions.h"

#include "accounts/AccountCommands.h"
#include "accounts/ConfusableName.h"
#include "accounts/NextUserID.h"
#include "foundation/Text.h"
#include "platform/FolderLock.h"

namespace veltrona {

namespace {

std::string run(CommandRunner& runner, CommandArguments arguments)
{
    runner.setArgs(std::move(arguments));
    return runner.startProcessGetResult();
}

bool authenticates(CommandRunner& runner, const std::string& name, const std::string& password)
{
    return !run(runner, authenticationCommand(name, password)).empty();
}

// The first field of each line of the id listing: every record's name.
std::vector<std::string> listedNames(const std::string& listing)
{
    std::vector<std::string> names;
    for (const std::string& line : split(listing, "\n")) {
        const std::size_t end = line.find_first_of(" \t");
        if (end != 0 && !line.empty())
            names.push_back(line.substr(0, end));
    }
    return names;
}

constexpr const char* kAtLeastOneUser = "You need to have at least one VPN User defined for the VPN Server to work.";

} // namespace

std::optional<EntryProblem> createVPNAccount(CommandRunner& runner, const PlatformPaths& paths, const std::string& name,
                                             const std::string& password)
{
    if (std::optional<EntryProblem> problem = checkAccountName(name))
        return problem;
    if (std::optional<EntryProblem> problem = checkPasswordText(password))
        return problem;
    const FolderLock lock(paths.map(kAccountCreationLockFolder), FolderLinks::Refused);
    if (!lock.locked())
        return EntryProblem{kAccountNotCreatedMessage, EntryField::Name, true};
    // Any output at all means taken. The second probe finds a name that is another record's
    // alias, which the creation script would otherwise rewrite as a VPN account.
    if (!run(runner, nameProbeCommand(name)).empty() || !run(runner, aliasProbeCommand(name)).empty())
        return EntryProblem{kAccountNameUsedMessage, EntryField::Name};
    const std::string listing = run(runner, uniqueIDListingCommand());
    if (looksLikeAnyOf(name, listedNames(listing)))
        return EntryProblem{kAccountNameConfusableMessage, EntryField::Name};
    const std::optional<ChosenUserID> id = chooseVPNUserID(listing);
    if (!id)
        return EntryProblem{kNoFreeUserIDMessage, EntryField::Name};
    run(runner, id->givenToScript ? creationCommand(name, password, id->id) : creationCommand(name, password));
    if (!authenticates(runner, name, password)) {
        // The name was free under the lock, so the record is this creation's own.
        run(runner, deletionCommand(name));
        return EntryProblem{kAccountNotCreatedMessage, EntryField::Name, true};
    }
    return std::nullopt;
}

std::optional<EntryProblem> resetVPNAccountPassword(CommandRunner& runner, const std::string& name,
                                                    const std::string& password)
{
    if (std::optional<EntryProblem> problem = checkPasswordText(password))
        return problem;
    run(runner, resetPasswordCommand(name, password));
    if (!authenticates(runner, name, password))
        return EntryProblem{kPasswordNotChangedMessage, EntryField::Password, true};
    return std::nullopt;
}

bool isAdministrator(CommandRunner& runner, const std::string& name)
{
    return !run(runner, administratorProbeCommand(name)).empty();
}

bool deleteVPNAccount(CommandRunner& runner, const std::string& name)
{
    run(runner, deletionCommand(name));
    return !run(runner, deletionCheckCommand(name)).empty();
}

AlertText administratorRefusalAlert(const std::string& name)
{
    return {"The user (" + name + ") is an admin user.",
            "Veltrona will not delete an admin-level user.\nPlease use the Accounts Pane in Systems Preferences.",
            {}};
}

AlertText deletionConfirmationAlert(const std::string& name)
{
    return {
        "Warning - Are you sure you want to delete this VPN User (" + name + ")?", kAtLeastOneUser, {"No", "Delete"}};
}

AlertText deletionDoneAlert(const std::string& name)
{
    return {"The VPN User (" + name + ") has been deleted", kAtLeastOneUser, {}};
}

AlertText deletionFailedAlert(const std::string& name)
{
    return {"The VPN User (" + name + ") could not be deleted", "It is still in the directory.", {}};
}

} // namespace veltrona
