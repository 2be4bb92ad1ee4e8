#include "services/UpdateCheck.h"

#include "services/WebSite.h"

namespace veltrona {

std::vector<std::string> updateFetchArguments(std::string_view webSiteBase)
{
    return {"/usr/bin/curl", "-s", versionPage(webSiteBase)};
}

UpdateAlert updateAlertFor(std::string_view fetched, std::string_view runningVersion)
{
    // Checked before the comparison: with no answer at all there is nothing to compare, and an
    // update named by an empty version would be no update.
    if (fetched.empty())
        return {{"Unable to check for updates", "The Veltrona web site could not be reached.", {}}, false};
    if (fetched == runningVersion) {
        return {{"There are no newer versions available",
                 "You are running the latest version of Veltrona for El Capitan.",
                 {}},
                false};
    }
    return {{"An update for Veltrona is available",
             "\nThere is a newer version available (version " + std::string(fetched)
                 + ").\nClick OK to go to the Veltrona for El Capitan web site.\n",
             {"OK", "Cancel"}},
            true};
}

UpdateAlert checkForUpdates(CommandRunner& runner, std::string_view webSiteBase, std::string_view runningVersion)
{
    runner.setArgs(updateFetchArguments(webSiteBase));
    return updateAlertFor(runner.startProcessGetResult(), runningVersion);
}

} // namespace veltrona
