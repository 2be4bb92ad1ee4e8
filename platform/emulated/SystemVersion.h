#pragma once
// The emulated Mac's System/Library/CoreServices/SystemVersion.plist.

#include "foundation/Status.h"

#include <filesystem>
#include <optional>
#include <string>

namespace veltrona {

struct SystemVersion {
    std::string productVersion;      // "10.11.6"
    std::string productBuildVersion; // "15G31"
};

std::filesystem::path systemVersionFile(const std::filesystem::path& platformRoot);

// Nothing when the file is missing, malformed or lacks either key.
std::optional<SystemVersion> readSystemVersion(const std::filesystem::path& platformRoot);

// Writes all five keys a Mac has (ProductName "Mac OS X", ProductCopyright, ...).
Status writeSystemVersion(const std::filesystem::path& platformRoot, const SystemVersion& version);

// "Version 10.11.6 (Build 15G31)"
std::string operatingSystemVersionString(const SystemVersion& version);

} // namespace veltrona
