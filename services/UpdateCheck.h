#pragma once
// The update check: fetch the newest version's number from the web site and say what it means.

#include "services/AlertText.h"
#include "services/CommandRunner.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// "/usr/bin/curl", "-s" and the version page's address: run directly, no shell between.
std::vector<std::string> updateFetchArguments(std::string_view webSiteBase);
// A web site that accepts the connection and never answers must not hold the program longer.
inline constexpr std::chrono::seconds kUpdateFetchTimeLimit{20};

// Whether a fetched text (the page's answer less its last character) names a version: trimmed,
// 1 to 32 letters, digits, dots, hyphens and plus signs. An error page, a captive portal's page
// or a redirect's body does not.
bool looksLikeVersion(std::string_view fetched);

struct UpdateAlert {
    AlertText alert;
    // Whether the first button (1000, "OK") is to open the product page.
    bool offersProductPage = false;
    // The site gave no answer, or none that names a version.
    bool fetchFailed = false;
    bool operator==(const UpdateAlert&) const = default;
};

// The alert for a fetched version text (the runner's result) and the running version
// (CFBundleShortVersionString): "Unable to check for updates" for the empty text (a fetch that
// failed or ran out of time) and for a text that is no version, "no newer versions" for the same
// version, and the update offer for any other.
UpdateAlert updateAlertFor(std::string_view fetched, std::string_view runningVersion);

// Fetches through the runner and decides; the window runs the alert modally and, when it offers
// the product page and the answer is 1000, opens productPage(webSiteBase).
UpdateAlert checkForUpdates(CommandRunner& runner, std::string_view webSiteBase, std::string_view runningVersion);

} // namespace veltrona
