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
    // The resource directory is the application's (templates in its VPNStuff folder); the
    // installed files are platform paths mapped through `platform`. Temporary copies go into
    // `temporaryFolder` (a RunFolder), or directly into the resource directory when it is empty.
    ServerFileLocations(std::string resourceDirectory, PlatformPaths platform, std::string temporaryFolder = {})
        : resourceDirectory_(std::move(resourceDirectory)), platform_(std::move(platform)),
          temporaryFolder_(std::move(temporaryFolder))
    {
    }

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
    std::string temporaryFolder_;
};

} // namespace veltrona
