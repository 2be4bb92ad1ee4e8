#pragma once
// Making a new emulated Mac: its folders, OS version, system accounts, administrator and
// authorization database. The stand-in tools are copied in separately (StandInTools.h).

#include "foundation/Status.h"

#include <filesystem>
#include <string>

namespace veltrona {

struct PlatformInitOptions {
    std::filesystem::path root;
    std::string adminName;
    std::string fullName; // empty: the administrator's name
    std::string password;
    std::string osVersion = "10.11.6";
    std::string build = "15G31";
};

// Refuses "" and "/", a root that exists and is not an empty folder, an unusable administrator
// name or an empty password; a failure part-way leaves no half-made root behind.
Status initPlatformRoot(const PlatformInitOptions& options);

} // namespace veltrona
