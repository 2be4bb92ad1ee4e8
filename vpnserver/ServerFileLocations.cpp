#include "vpnserver/ServerFileLocations.h"

#include "services/ResourceFolder.h"

namespace veltrona {

// The suffixes are appended to the resource directory as they are: callers pass it without a
// trailing "/", as the bundle gives it.
std::string ServerFileLocations::serverTemplate() const
{
    return resourceDirectory_ + "/" + kResourceFolder + "/" + kServerFileName;
}

std::string ServerFileLocations::jobTemplate() const
{
    return resourceDirectory_ + "/" + kResourceFolder + "/" + kJobFileName;
}

std::string ServerFileLocations::serverTemporaryCopy() const
{
    return (temporaryFolder_.empty() ? resourceDirectory_ : temporaryFolder_) + "/" + kServerFileName;
}

std::string ServerFileLocations::jobTemporaryCopy() const
{
    return (temporaryFolder_.empty() ? resourceDirectory_ : temporaryFolder_) + "/" + kJobFileName;
}

std::string ServerFileLocations::installationDirectory() const
{
    return platform_.map(kInstallationDirectory);
}

std::string ServerFileLocations::installedServerFile() const
{
    return installationDirectory() + "/" + kServerFileName;
}

std::string ServerFileLocations::installedJobFile() const
{
    return installationDirectory() + "/" + kJobFileName;
}

} // namespace veltrona
