#include "vpnserver/SettingChange.h"

#include "foundation/AddressText.h"
#include "foundation/Text.h"
#include "foundation/Utf8.h"
#include "vpnserver/ServerFileWriter.h"

#include <cstdint>
#include <optional>
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

// Letters, digits and inner hyphens in labels of 1 to 63, at most 253 in all; a final dot allowed.
bool isDnsName(std::string_view name)
{
    if (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    if (name.empty() || name.size() > 253)
        return false;
    for (const std::string& label : split(name, ".")) {
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (const char c : label) {
            const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-';
            if (!allowed)
                return false;
        }
    }
    return true;
}

Status refused(std::string_view name, const std::string& why)
{
    return Status::failure(1, std::string(name) + ": " + why);
}

// Each piece of a comma-separated list, as the server file will hold it, must pass.
Status checkList(std::string_view name, std::string_view value, bool (*valid)(std::string_view), const char* kind)
{
    if (value.empty())
        return Status::success();
    for (const std::string& piece : offeredList(value)) {
        if (!valid(piece))
            return refused(name, "\"" + piece + "\" is not " + kind + ".");
    }
    return Status::success();
}

} // namespace

Status changeSetting(ServerSettings& settings, std::string_view name, std::string_view value)
{
    const std::string shown(name);
    if (!isValidUtf8(value) || holdsControlCharacter(value))
        return Status::failure(1, "The value of " + shown
                                      + " may not hold control characters or bytes that are not UTF-8.");
    if (value.size() > kMaxSettingLength)
        return refused(name, "the value is " + std::to_string(value.size()) + " characters long; the limit is "
                                 + std::to_string(kMaxSettingLength) + ".");
    if (name == "type") {
        const std::string type = upperCased(value);
        if (type != kVpnTypeL2TP && type != kVpnTypePPTP)
            return Status::failure(1, "The VPN type is L2TP or PPTP, not \"" + std::string(value) + "\".");
        settings.type = type;
    } else if (name == "host") {
        if (!value.empty() && !isDnsName(value) && !isIPAddress(value))
            return refused(name, "\"" + std::string(value) + "\" is neither a DNS name nor an IP address.");
        settings.vpnHost = value;
    } else if (name == "dns") {
        if (Status checked = checkList(name, value, isIPAddress, "an IP address"); !checked)
            return checked;
        settings.dnsServerAddresses = value;
    } else if (name == "domains") {
        if (Status checked = checkList(name, value, isDnsName, "a DNS name"); !checked)
            return checked;
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
        const std::string_view start = value.substr(0, dash);
        const std::string_view end = value.substr(dash + 1);
        const std::optional<std::uint32_t> first = ipv4Number(start);
        const std::optional<std::uint32_t> last = ipv4Number(end);
        if (!first || !last)
            return refused(name, "\"" + std::string(first ? end : start) + "\" is not an IPv4 address.");
        if (*first > *last)
            return refused(name, "the start " + std::string(start) + " lies above the end " + std::string(end) + ".");
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
