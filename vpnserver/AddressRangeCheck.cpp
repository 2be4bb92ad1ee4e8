#include "vpnserver/AddressRangeCheck.h"

#include "foundation/AddressText.h"

#include <cstdint>
#include <optional>

namespace veltrona {

namespace {

// The networks the range is compared with are the /24 ones a home or office router hands out.
bool sameNetwork(std::uint32_t a, std::uint32_t b)
{
    return (a >> 8) == (b >> 8);
}

} // namespace

SetupCheck checkAddressRange(const std::string& start, const std::string& end,
                             const std::vector<std::string>& machineAddresses, const std::string& firstDnsServer)
{
    const std::optional<std::uint32_t> first = ipv4Number(start);
    const std::optional<std::uint32_t> last = ipv4Number(end);
    if (!first || !last)
        return {kAddressRangeCheck, CheckResult::Fail,
                "Enter the start and end of the address range as IPv4 addresses, such as 192.168.1.200."};
    if (*first > *last)
        return {kAddressRangeCheck, CheckResult::Fail, "Make the start of the address range no higher than its end."};
    const std::uint64_t count = std::uint64_t{*last} - *first + 1;
    if (count > kMostRangeAddresses)
        return {kAddressRangeCheck, CheckResult::Fail, "Shorten the address range to at most 253 addresses."};

    bool nearMachine = false;
    for (const std::string& text : machineAddresses) {
        const std::optional<std::uint32_t> own = ipv4Number(text);
        if (!own)
            continue;
        if (*own >= *first && *own <= *last)
            return {kAddressRangeCheck, CheckResult::Fail,
                    "Move the address range off this machine's address " + text + "."};
        nearMachine = nearMachine || sameNetwork(*own, *first);
    }
    const std::optional<std::uint32_t> dns = ipv4Number(firstDnsServer);
    if (!nearMachine && !(dns && sameNetwork(*dns, *first)))
        return {kAddressRangeCheck, CheckResult::Warn,
                "The range is outside the network of the first DNS server and of this machine; clients may "
                "reach nothing there, so choose addresses from this machine's network."};
    return {kAddressRangeCheck, CheckResult::Pass, start + " - " + end + " (" + std::to_string(count) + " addresses)"};
}

} // namespace veltrona
