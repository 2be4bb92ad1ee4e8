#pragma once
// Making the per-user emulated Mac on first use, with `veltrona-platform init`.

#include "foundation/Status.h"

#include <QString>

#include <filesystem>
#include <string>

namespace veltrona {

// The password of the administrator of an emulated Mac that the program makes itself.
inline constexpr const char* kDefaultAdministratorPassword = "veltrona";

struct AdministratorAccount {
    std::string name;
    std::string fullName;
};

// Named after the Linux user, unless that name cannot be a Mac short name or is taken by the
// Mac's own accounts (root): then "admin".
AdministratorAccount defaultAdministrator();

// Runs `veltrona-platform init ROOT --admin NAME --full-name TEXT` with the password on its input.
Status makePlatformRoot(const std::filesystem::path& root, const QString& platformTool,
                        const AdministratorAccount& administrator, const std::string& password);

} // namespace veltrona
