#include "vpnserver/SettingChange.h"

#include "foundation/Utf8.h"

#include <string>

namespace veltrona {

namespace {

bool holdsControlCharacter(std::string_view text)
{
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

std::string upperCased(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

} // namespace

Status changeSetting(ServerSettings& settings, std::string_view name, std::string_view value)
{
    const std::string shown(name);
    if (!isValidUtf8(value) || holdsControlCharacter(value))
        return Status::failure(1, "The value of " + shown
                                      + " may not hold control characters or bytes that are not UTF-8.");
    if (name == "type") {
        const std::string type = upperCased(value);
        if (type != kVpnTypeL2TP && type != kVpnTypePPTP)
            return Status::failure(1, "The VPN type is L2TP or PPTP, not \"" + std::string(value) + "\".");
        settings.type = type;
    } else if (name == "host") {
        settings.vpnHost = value;
    } else if (name == "dns") {
        settings.dnsServerAddresses = value;
    } else if (name == "domains") {
        settings.searchDomains = value;
    } else if (name == "range") {
        if (value.empty()) {
            settings.startIPAddress.clear();
            settings.endIPAddress.clear();
            return Status::success();
        }
        const std::size_t dash = value.find('-');
        if (dash == std::string_view::npos || dash == 0 || dash + 1 == value.size()
            || value.find('-', dash + 1) != std::string_view::npos)
            return Status::failure(1, "A range is START-END, such as 192.168.1.224-192.168.1.254.");
        settings.startIPAddress = value.substr(0, dash);
        settings.endIPAddress = value.substr(dash + 1);
    } else {
        return Status::failure(1, "Unknown setting \"" + shown
                                      + "\"; the settings are type, host, dns, domains and range.");
    }
    return Status::success();
}

Status changeSetting(ServerSettings& settings, std::string_view assignment)
{
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos || equals == 0)
        return Status::failure(1, "A setting is given as NAME=VALUE, not \"" + std::string(assignment) + "\".");
    return changeSetting(settings, assignment.substr(0, equals), assignment.substr(equals + 1));
}

} // namespace veltrona
