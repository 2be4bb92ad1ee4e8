#include "services/WebSite.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>

namespace veltrona {

namespace {

bool isLetterOrDigit(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

// Labels of letters, digits and inner hyphens, separated by single dots; an IPv4 address is one.
bool isHostName(std::string_view host)
{
    if (host.empty() || host.size() > 253)
        return false;
    std::size_t start = 0;
    while (start <= host.size()) {
        std::size_t end = host.find('.', start);
        if (end == std::string_view::npos)
            end = host.size();
        const std::string_view label = host.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label) {
            if (!isLetterOrDigit(c) && c != '-')
                return false;
        }
        start = end + 1;
    }
    return true;
}

bool isBracketedIPv6(std::string_view host)
{
    if (host.size() < 3 || host.front() != '[' || host.back() != ']')
        return false;
    const std::string address(host.substr(1, host.size() - 2));
    in6_addr parsed{};
    return address.find('\0') == std::string::npos && ::inet_pton(AF_INET6, address.c_str(), &parsed) == 1;
}

bool isPort(std::string_view port)
{
    if (port.empty() || port.size() > 5)
        return false;
    int value = 0;
    for (char c : port) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return value >= 1 && value <= 65535;
}

Status notAWebSite(std::string_view source, std::string_view value)
{
    return Status::failure(1, std::string(source)
                                  + " is not a web site address (http or https, a host and "
                                    "optionally a port, such as https://www.example.com): \""
                                  + std::string(value) + "\"");
}

} // namespace

std::optional<std::string> webSiteBase(std::string_view text)
{
    std::string_view rest = text;
    if (rest.starts_with("https://"))
        rest.remove_prefix(8);
    else if (rest.starts_with("http://"))
        rest.remove_prefix(7);
    else
        return std::nullopt;
    if (rest.ends_with('/'))
        rest.remove_suffix(1);

    // The port follows the last colon after an IPv6 address's closing bracket.
    const std::size_t bracket = rest.rfind(']');
    const std::size_t colon = rest.find(':', bracket == std::string_view::npos ? 0 : bracket);
    const std::string_view host = rest.substr(0, colon);
    if (colon != std::string_view::npos && !isPort(rest.substr(colon + 1)))
        return std::nullopt;
    if (!isHostName(host) && !isBracketedIPv6(host))
        return std::nullopt;
    return std::string(text.substr(0, text.size() - (text.ends_with('/') ? 1 : 0)));
}

WebSiteAddress webSiteAddress(const PlistDictionary& infoDictionary, const char* environmentValue)
{
    if (environmentValue && *environmentValue) {
        if (std::optional<std::string> base = webSiteBase(environmentValue))
            return {*base, Status::success()};
        return {{}, notAWebSite(kWebSiteVariable, environmentValue)};
    }
    const PlistValue* value = infoDictionary.find(kWebSiteInfoKey);
    if (!value)
        return {kDefaultWebSite, Status::success()};
    const std::string* text = value->string();
    if (std::optional<std::string> base = text ? webSiteBase(*text) : std::nullopt)
        return {*base, Status::success()};
    return {{}, notAWebSite(std::string("The Info dictionary's ") + kWebSiteInfoKey, text ? *text : "")};
}

WebSiteAddress webSiteAddress(const PlistDictionary& infoDictionary)
{
    return webSiteAddress(infoDictionary, std::getenv(kWebSiteVariable));
}

AlertText webSiteAddressAlert(const Status& status)
{
    return {"The Veltrona web site address is not valid", status.message(), {}};
}

std::string webPageForTag(std::string_view base, int tag)
{
    if (tag == kHomePageTag)
        return std::string(base) + kHomePagePath;
    if (tag == kProductPageTag)
        return productPage(base);
    return {};
}

std::string productPage(std::string_view base)
{
    return std::string(base) + kProductPagePath;
}

std::string versionPage(std::string_view base)
{
    return std::string(base) + kVersionPagePath;
}

} // namespace veltrona
