#include "network/ReverseLookUp.h"

#include "foundation/Text.h"
#include "foundation/AddressText.h"

#include <utility>

namespace veltrona {

std::optional<std::string> reverseLookUpCommand(std::string_view server, std::string_view address)
{
    if (!isIPAddress(server) || !isIPAddress(address))
        return std::nullopt;
    return "dig @" + std::string(server) + " -x " + std::string(address) + " +short";
}

std::vector<std::string> reverseLookUpArguments(std::string command)
{
    return {"/bin/sh", "-c", std::move(command)};
}

std::optional<std::string> hostNameFromLookUpResult(std::string_view result)
{
    if (result.empty())
        return std::nullopt;
    // With +short dig still prints ";; connection timed out; no servers could be reached" and the
    // like on standard output; such a line, or the blank lines around it, names no host.
    for (const std::string& line : split(result, "\n")) {
        if (line.empty() || line.front() == ';')
            return std::nullopt;
    }
    result.remove_suffix(1);
    return std::string(result);
}

} // namespace veltrona
