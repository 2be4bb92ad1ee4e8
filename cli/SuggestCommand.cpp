// suggest: what the window's suggestion would put into its fields, printed; nothing is changed.
#include "cli/Commands.h"
#include "cli/ServerView.h"
#include "network/AddressSuggestion.h"

namespace veltrona::cli {

Result suggestCommand(Session& session)
{
    const NetworkValues values = readNetworkValues(*session.platform().dynamicStore);
    // The host is always proposed: there is no field whose typed host it must spare.
    const AddressSuggestion suggestion = suggestIPAddresses(values, "", session.runner());
    const auto shown = [](const std::optional<std::string>& value) { return value ? *value : std::string("(none)"); };
    std::string range = suggestion.startIPAddress && suggestion.endIPAddress
                            ? *suggestion.startIPAddress + " - " + *suggestion.endIPAddress
                            : std::string("(none)");
    std::string text = labelled("Address range", range) + labelled("DNS servers", shown(suggestion.dnsServerAddresses))
                       + labelled("Host", shown(suggestion.vpnHost));
    text.pop_back();
    if (suggestion.portForwardingInfo)
        text += "\n\n" + *suggestion.portForwardingInfo;
    return done(std::move(text), {{"rangeStart", suggestion.startIPAddress},
                                  {"rangeEnd", suggestion.endIPAddress},
                                  {"dns", suggestion.dnsServerAddresses},
                                  {"host", suggestion.vpnHost},
                                  {"portForwardingInfo", suggestion.portForwardingInfo}});
}

} // namespace veltrona::cli
