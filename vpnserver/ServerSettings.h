#pragma once
// The server settings as the main window holds them, and as they come back from the installed files.

#include <string>
#include <string_view>

namespace veltrona {

inline constexpr std::string_view kVpnTypeL2TP = "L2TP";
inline constexpr std::string_view kVpnTypePPTP = "PPTP";

// One value per settings control of the window, texts exactly as typed.
struct ServerSettings {
    std::string type;               // vpnTypeMenu: "L2TP" or "PPTP"
    std::string vpnHost;            // vpnHostField
    std::string sharedSecret;       // sharedSecretField
    std::string dnsServerAddresses; // dnsServerAddressesField, comma-separated
    std::string searchDomains;      // searchDomainsField, comma-separated
    std::string startIPAddress;     // startIPAddressField
    std::string endIPAddress;       // endIPAddressField

    bool operator==(const ServerSettings&) const = default;
};

// What the installed files say. `settings.type` is empty when the job file is missing or names no
// type; the window then has no menu item to select. Fields the server file lacks are empty.
struct LoadedServerSettings {
    ServerSettings settings;
    std::string portForwardingInfo; // for portForwardingInfo
    bool serverFileRead = false;
    bool jobFileRead = false;
};

} // namespace veltrona
