#include "foundation/AddressText.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>

namespace veltrona {

namespace {

// inet_pton reads up to a NUL, so a text holding one must not pass for what comes before it.
bool parses(int family, std::string_view text, void* address)
{
    if (text.empty() || text.find('\0') != std::string_view::npos)
        return false;
    const std::string terminated(text);
    return ::inet_pton(family, terminated.c_str(), address) == 1;
}

} // namespace

bool isIPAddress(std::string_view text)
{
    in6_addr buffer{};
    return parses(AF_INET, text, &buffer) || parses(AF_INET6, text, &buffer);
}

std::optional<std::uint32_t> ipv4Number(std::string_view text)
{
    in_addr address{};
    if (!parses(AF_INET, text, &address))
        return std::nullopt;
    return ntohl(address.s_addr);
}

} // namespace veltrona
