#include "services/UpdateCheck.h"

#include "services/WebSite.h"

#include <algorithm>

namespace veltrona {

std::vector<std::string> updateFetchArguments(std::string_view webSiteBase)
{
    return {"/usr/bin/curl", "-s", versionPage(webSiteBase)};
}

namespace {

// Blanks and line ends around the text: a page written on another system may end in "\r\n".
std::string trimmed(std::string_view text)
{
    constexpr std::string_view blanks = " \t\r\n\v\f";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string_view::npos)
        return {};
    return std::string(text.substr(first, text.find_last_not_of(blanks) - first + 1));
}

} // namespace

bool looksLikeVersion(std::string_view fetched)
{
    const std::string version = trimmed(fetched);
    if (version.empty() || version.size() > 32)
        return false;
    return std::all_of(version.begin(), version.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'
               || c == '+';
    });
}

UpdateAlert updateAlertFor(std::string_view fetched, std::string_view runningVersion)
{
    // Checked before the comparison: with no answer at all there is nothing to compare, and an
    // update named by an empty version or a web page would be no update.
    if (fetched.empty())
        return {{"Unable to check for updates", "The Veltrona web site could not be reached.", {}}, false, true};
    if (!looksLikeVersion(fetched))
        return {{"Unable to check for updates", "The Veltrona web site did not answer with a version number.", {}},
                false,
                true};
    const std::string version = trimmed(fetched);
    if (version == runningVersion) {
        return {{"There are no newer versions available",
                 "You are running the latest version of Veltrona for El Capitan.",
                 {}},
                false};
    }
    return {{"An update for Veltrona is available",
             "\nThere is a newer version available (version " + version
                 + ").\nClick OK to go to the Veltrona for El Capitan web site.\n",
             {"OK", "Cancel"}},
            true};
}

UpdateAlert checkForUpdates(CommandRunner& runner, std::string_view webSiteBase, std::string_view runningVersion)
{
    runner.setArgs(updateFetchArguments(webSiteBase));
    runner.setTimeLimit(kUpdateFetchTimeLimit);
    return updateAlertFor(runner.startProcessGetResult(), runningVersion);
}

} // namespace veltrona
