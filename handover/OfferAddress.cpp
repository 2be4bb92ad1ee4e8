#include "handover/OfferAddress.h"

#include "network/NetworkValues.h"

namespace veltrona {

std::optional<std::string> lanAddress(DynamicStore& store)
{
    const NetworkValues values = readNetworkValues(store);
    if (values.addresses.empty() || values.addresses.front().empty())
        return std::nullopt;
    return values.addresses.front();
}

std::string offerUrl(std::string_view address, std::uint16_t port, std::string_view token)
{
    const std::string host =
        address.find(':') != std::string_view::npos ? "[" + std::string(address) + "]" : std::string(address);
    return "https://" + host + ":" + std::to_string(port) + "/" + std::string(token);
}

} // namespace veltrona
