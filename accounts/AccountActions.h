#pragma once
// Creating, re-passwording and deleting a VPN account through the runner: what the window's
// sheets and alerts and the command line both do once the typed entries have been checked.

#include "accounts/AccountEntry.h"
#include "platform/PlatformPaths.h"
#include "services/AlertText.h"
#include "services/CommandRunner.h"

#include <optional>
#include <string>

namespace veltrona {

// Where account creation (and a restore's accounts) serialise choosing an id and making the
// record, for the window and veltronactl alike (a platform path).
inline constexpr const char* kAccountCreationLockFolder = "/var/run/com.brantholm.vpn.accounts";

// Refuses, running nothing more, a name or password that cannot reach the directory as it stands,
// a name any record already has (letter case ignored, aliases too) or one confusable with a
// record's name, and a full 401-499 range. Otherwise runs the creation script, under the
// platform's account lock from the name probe on, so that concurrent creations never choose the
// same id; then checks that the account authenticates with its password, and removes the
// half-made record when it does not (a problem with `platformFailed` set).
std::optional<EntryProblem> createVPNAccount(CommandRunner& runner, const PlatformPaths& paths, const std::string& name,
                                             const std::string& password);

// Refuses a password that cannot reach the directory unchanged; after the reset, a problem with
// `platformFailed` set when the account does not authenticate with the new password.
std::optional<EntryProblem> resetVPNAccountPassword(CommandRunner& runner, const std::string& name,
                                                    const std::string& password);

// Whether the name stands as a whole word in the admin group's membership.
bool isAdministrator(CommandRunner& runner, const std::string& name);
// Whether the record is gone afterwards, as the directory's listing shows.
bool deleteVPNAccount(CommandRunner& runner, const std::string& name);

// The deletion's alerts, naming the account. The confirmation's "Delete" answers 1001.
AlertText administratorRefusalAlert(const std::string& name);
AlertText deletionConfirmationAlert(const std::string& name);
AlertText deletionDoneAlert(const std::string& name);
// The record is still in the directory after the deletion script ran.
AlertText deletionFailedAlert(const std::string& name);

// Posted after an account is created or deleted.
inline constexpr const char* kUserWasRemovedNotification = "com.apple.UserWasRemovedNotification";

} // namespace veltrona
