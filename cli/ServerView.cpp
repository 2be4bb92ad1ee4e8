#include "cli/ServerView.h"

#include "vpnserver/InstallationScript.h"
#include "vpnserver/ServerFileReader.h"

namespace veltrona::cli {

bool isInstalled(Session& session)
{
    return unixPathExists(session.paths().map(kInstallationDirectory));
}

bool installIfNeeded(Session& session)
{
    return installIfMissing(session.paths(), session.runner());
}

LoadedServerSettings installedSettings(Session& session)
{
    return loadVPNSettings(session.locations());
}

ServerSettings settingsToWrite(Session& session)
{
    ServerSettings settings = installedSettings(session).settings;
    if (settings.type.empty())
        settings.type = kVpnTypeL2TP;
    return settings;
}

Json settingsJson(const ServerSettings& settings)
{
    return Json::object({
        {"type", settings.type},
        {"host", settings.vpnHost},
        {"dns", settings.dnsServerAddresses},
        {"domains", settings.searchDomains},
        {"rangeStart", settings.startIPAddress},
        {"rangeEnd", settings.endIPAddress},
        {"sharedSecretSet", !settings.sharedSecret.empty()},
    });
}

std::string labelled(std::string_view label, std::string_view value)
{
    std::string line = std::string(label) + ":";
    line.resize(17, ' ');
    return line + std::string(value) + "\n";
}

std::string settingsText(const ServerSettings& settings)
{
    const std::string range = settings.startIPAddress.empty() && settings.endIPAddress.empty()
                                  ? std::string()
                                  : settings.startIPAddress + " - " + settings.endIPAddress;
    std::string text = labelled("Type", settings.type) + labelled("Host", settings.vpnHost)
                       + labelled("DNS servers", settings.dnsServerAddresses)
                       + labelled("Search domains", settings.searchDomains) + labelled("Address range", range)
                       + labelled("Shared secret", settings.sharedSecret.empty() ? "not set" : "set");
    text.pop_back();
    return text;
}

} // namespace veltrona::cli
