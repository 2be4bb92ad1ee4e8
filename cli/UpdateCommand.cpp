// check-update: the window's update check, its alert as text.
#include "cli/Commands.h"
#include "cli/InfoDictionary.h"
#include "services/UpdateCheck.h"
#include "services/WebSite.h"

namespace veltrona::cli {

namespace {

// The informative texts begin and end with line breaks made for an alert's layout.
std::string trimmedLines(const std::string& text)
{
    const std::size_t first = text.find_first_not_of('\n');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of('\n') - first + 1);
}

} // namespace

Result checkUpdateCommand(Session& session)
{
    const WebSiteAddress site = webSiteAddress(infoDictionary());
    if (!site.status)
        return failed(kRefused, site.status.message());
    const std::string running = infoString("CFBundleShortVersionString");
    const UpdateAlert answer = checkForUpdates(session.runner(), site.base, running);
    const std::string text = answer.alert.messageText + "\n" + trimmedLines(answer.alert.informativeText);
    Json::Object data{{"runningVersion", running},
                      {"updateAvailable", answer.offersProductPage},
                      {"message", answer.alert.messageText},
                      {"informativeText", answer.alert.informativeText},
                      {"productPage", answer.offersProductPage ? Json(productPage(site.base)) : Json()}};
    if (answer.fetchFailed)
        return failed(kPlatformFailed, text, std::move(data));
    return done(answer.offersProductPage ? text + "\n" + productPage(site.base) : text, std::move(data));
}

} // namespace veltrona::cli
