#include "network/AddressText.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <string>

namespace veltrona {

bool isIPAddress(std::string_view text)
{
    // inet_pton reads up to a NUL, so a text holding one must not pass for what comes before it.
    if (text.empty() || text.find('\0') != std::string_view::npos)
        return false;
    const std::string terminated(text);
    in6_addr buffer{};
    return ::inet_pton(AF_INET, terminated.c_str(), &buffer) == 1
           || ::inet_pton(AF_INET6, terminated.c_str(), &buffer) == 1;
}

} // namespace veltrona
