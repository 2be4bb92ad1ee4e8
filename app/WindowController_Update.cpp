// The update check and the two web links, both on the vendor web site.
#include "app/WindowController.h"

#include "app/AlertFromText.h"
#include "app/AppResources.h"
#include "app/Interaction.h"
#include "services/UpdateCheck.h"
#include "services/WebSite.h"

#include <QVariant>

#include <optional>
#include <string>

namespace veltrona {

namespace {

// The site's base address; an unusable one is told to the user, and nothing is fetched or opened.
std::optional<std::string> webSiteBase(Interaction& interaction)
{
    const WebSiteAddress site = webSiteAddress(infoDictionary());
    if (!site.status) {
        alertFromText(interaction, webSiteAddressAlert(site.status)).runModal();
        return std::nullopt;
    }
    return site.base;
}

} // namespace

void WindowController::checkForUpdates(QObject* /*sender*/)
{
    Interaction& interaction = services_.interaction;
    const std::optional<std::string> base = webSiteBase(interaction);
    if (!base)
        return;
    // curl runs to its end before the window answers again.
    startProgress();
    const UpdateAlert update =
        veltrona::checkForUpdates(runner(), *base, infoString("CFBundleShortVersionString").toStdString());
    stopProgress();
    const int answer = alertFromText(interaction, update.alert).runModal();
    if (update.offersProductPage && answer == NSAlertFirstButtonReturn)
        interaction.openURL(QString::fromStdString(productPage(*base)));
}

void WindowController::loadURL(QObject* sender)
{
    const int tag = sender ? sender->property("tag").toInt() : 0;
    const std::optional<std::string> base = webSiteBase(services_.interaction);
    if (!base)
        return;
    // A tag that names no page opens nothing.
    const std::string page = webPageForTag(*base, tag);
    if (!page.empty())
        services_.interaction.openURL(QString::fromStdString(page));
}

} // namespace veltrona
