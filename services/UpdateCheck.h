#pragma once
// The update check: fetch the newest version's number from the web site and say what it means.

#include "services/AlertText.h"
#include "services/CommandRunner.h"

#include <string>
#include <string_view>
#include <vector>

namespace veltrona {

// "/usr/bin/curl", "-s" and the version page's address: run directly, no shell between.
std::vector<std::string> updateFetchArguments(std::string_view webSiteBase);

struct UpdateAlert {
    AlertText alert;
    // Whether the first button (1000, "OK") is to open the product page.
    bool offersProductPage = false;
    bool operator==(const UpdateAlert&) const = default;
};

// The alert for a fetched version text (the runner's result) and the running version
// (CFBundleShortVersionString): "no newer versions" for exactly the same text, "could not be
// reached" for the empty text (a fetch that failed), and the update offer for any other text.
UpdateAlert updateAlertFor(std::string_view fetched, std::string_view runningVersion);

// Fetches through the runner and decides; the window runs the alert modally and, when it offers
// the product page and the answer is 1000, opens productPage(webSiteBase).
UpdateAlert checkForUpdates(CommandRunner& runner, std::string_view webSiteBase, std::string_view runningVersion);

} // namespace veltrona
