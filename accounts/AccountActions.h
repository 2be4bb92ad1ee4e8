#pragma once
// Creating, re-passwording and deleting a VPN account through the runner: what the window's
// sheets and alerts and the command line both do once the typed entries have been checked.

#include "accounts/AccountEntry.h"
#include "services/AlertText.h"
#include "services/CommandRunner.h"

#include <optional>
#include <string>

namespace veltrona {

// Refuses a name any record already has (letter case ignored, aliases too) and a next id outside
// 401-499 or in use, running nothing more; otherwise runs the creation script.
std::optional<EntryProblem> createVPNAccount(CommandRunner& runner, const std::string& name,
                                             const std::string& password);

void resetVPNAccountPassword(CommandRunner& runner, const std::string& name, const std::string& password);

// Whether the name stands as a whole word in the admin group's membership.
bool isAdministrator(CommandRunner& runner, const std::string& name);
void deleteVPNAccount(CommandRunner& runner, const std::string& name);

// The deletion's alerts, naming the account. The confirmation's "Delete" answers 1001.
AlertText administratorRefusalAlert(const std::string& name);
AlertText deletionConfirmationAlert(const std::string& name);
AlertText deletionDoneAlert(const std::string& name);

// Posted after an account is created or deleted.
inline constexpr const char* kUserWasRemovedNotification = "com.apple.UserWasRemovedNotification";

} // namespace veltrona
