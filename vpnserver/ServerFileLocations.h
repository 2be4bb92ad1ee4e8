#pragma once
// Where the two server files, their templates and their temporary copies lie.

#include "platform/PlatformPaths.h"

#include <string>
#include <utility>

namespace veltrona {

inline constexpr const char* kInstallationDirectory = "/usr/local/quillfen/vpn";
inline constexpr const char* kServerFileName = "com.apple.RemoteAccessServers.plist";
inline constexpr const char* kJobFileName = "com.brantholm.vpn.plist";

class ServerFileLocations {
public:
    // The resource directory is the application's (templates in its VPNStuff folder, temporary
    // copies directly inside); the installed files are platform paths mapped through `platform`.
    ServerFileLocations(std::string resourceDirectory, PlatformPaths platform)
        : resourceDirectory_(std::move(resourceDirectory)), platform_(std::move(platform)) {}

    const std::string& resourceDirectory() const { return resourceDirectory_; }
    const PlatformPaths& platform() const { return platform_; }

    std::string serverTemplate() const;
    std::string jobTemplate() const;
    std::string serverTemporaryCopy() const;
    std::string jobTemporaryCopy() const;
    // Mapped onto this machine, for reading.
    std::string installationDirectory() const;
    std::string installedServerFile() const;
    std::string installedJobFile() const;

private:
    std::string resourceDirectory_;
    PlatformPaths platform_;
};

} // namespace veltrona
