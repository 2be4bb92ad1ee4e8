#include "network/AddressSuggestion.h"

#include "foundation/Text.h"
#include "network/ReverseLookUp.h"

namespace veltrona {

namespace {

// The address with its fourth part replaced; nothing unless it has exactly four parts.
std::optional<std::string> withFourthPart(const std::string& address, const char* fourth)
{
    std::vector<std::string> parts = split(address, ".");
    if (parts.size() != 4)
        return std::nullopt;
    parts[3] = fourth;
    return join(parts, ".");
}

} // namespace

std::string portForwardingHint(std::string_view address)
{
    return "If you\u2019re running the VPN Server on a local network behind a router, set the router to forward "
           "UDP ports 500, 1701, and 4500 to the IP address: "
           + std::string(address);
}

AddressSuggestion suggestAddresses(const NetworkValues& values)
{
    AddressSuggestion suggestion;
    const std::string* machine = values.addresses.empty() ? nullptr : &values.addresses.front();
    if (machine) {
        suggestion.startIPAddress = withFourthPart(*machine, "224");
        suggestion.endIPAddress = withFourthPart(*machine, "254");
        // An address the range cannot be made from is not offered as the machine's either.
        if (suggestion.startIPAddress)
            suggestion.portForwardingInfo = portForwardingHint(*machine);
    }
    if (!values.dnsServers.empty()) {
        const std::string& server = values.dnsServers.front();
        suggestion.dnsServerAddresses = join(values.dnsServers, ", ");
        suggestion.lookUpCommand = reverseLookUpCommand(server, machine ? *machine : server);
    }
    return suggestion;
}

AddressSuggestion suggestIPAddresses(const NetworkValues& values, std::string_view currentHost, CommandRunner& runner)
{
    AddressSuggestion suggestion = suggestAddresses(values);
    if (!suggestion.lookUpCommand)
        return suggestion;
    // The look-up runs even when the host field is filled, as it always has; its answer is then unused.
    runner.setArgs(reverseLookUpArguments(*suggestion.lookUpCommand));
    const std::optional<std::string> hostName = hostNameFromLookUpResult(runner.startProcessGetResult());
    if (currentHost.empty() && hostName)
        suggestion.vpnHost = hostName;
    return suggestion;
}

} // namespace veltrona
