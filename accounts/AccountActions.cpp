#include "accounts/AccountActions.h"

#include "accounts/AccountCommands.h"
#include "accounts/NextUserID.h"

namespace veltrona {

namespace {

std::string run(CommandRunner& runner, CommandArguments arguments)
{
    runner.setArgs(std::move(arguments));
    return runner.startProcessGetResult();
}

constexpr const char* kAtLeastOneUser = "You need to have at least one VPN User defined for the VPN Server to work.";

} // namespace

std::optional<EntryProblem> createVPNAccount(CommandRunner& runner, const std::string& name,
                                             const std::string& password)
{
    // Any output at all means taken. The second probe finds a name that is another record's
    // alias, which the creation script would otherwise rewrite as a VPN account.
    if (!run(runner, nameProbeCommand(name)).empty() || !run(runner, aliasProbeCommand(name)).empty())
        return EntryProblem{kAccountNameUsedMessage, EntryField::Name};
    if (!nextVPNUserID(run(runner, uniqueIDListingCommand())))
        return EntryProblem{kNoFreeUserIDMessage, EntryField::Name};
    run(runner, creationCommand(name, password));
    return std::nullopt;
}

void resetVPNAccountPassword(CommandRunner& runner, const std::string& name, const std::string& password)
{
    run(runner, resetPasswordCommand(name, password));
}

bool isAdministrator(CommandRunner& runner, const std::string& name)
{
    return !run(runner, administratorProbeCommand(name)).empty();
}

void deleteVPNAccount(CommandRunner& runner, const std::string& name)
{
    run(runner, deletionCommand(name));
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

} // namespace veltrona
