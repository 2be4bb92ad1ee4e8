#include "platform/emulated/LiveNetwork.h"

#include "foundation/PlistStrings.h"

#include <arpa/inet.h>
#include <charconv>
#include <fstream>
#include <ifaddrs.h>
#include <limits>
#include <netinet/in.h>
#include <sstream>

namespace veltrona {

namespace {

constexpr const char* kGlobalIPv4 = "State:/Network/Global/IPv4";
constexpr const char* kGlobalDNS = "State:/Network/Global/DNS";

std::string interfaceKey(const std::string& name)
{
    return "State:/Network/Interface/" + name + "/IPv4";
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : std::string();
}

std::optional<std::uint32_t> hexWord(const std::string& text)
{
    if (text.size() != 8)
        return std::nullopt;
    std::uint32_t value = 0;
    for (char c : text) {
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                                                   : -1;
        if (digit < 0)
            return std::nullopt;
        value = value * 16 + static_cast<std::uint32_t>(digit);
    }
    return value;
}

template <typename Number> bool parsesWhole(const std::string& text, Number& value, int base)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

} // namespace

std::optional<DefaultRoute> parseDefaultRoute(const std::string& routeTable)
{
    std::istringstream lines(routeTable);
    std::string line;
    std::getline(lines, line); // the column titles
    std::optional<DefaultRoute> best;
    long bestMetric = std::numeric_limits<long>::max();
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string name, destination, gateway, flags, refCount, use, metric, mask;
        if (!(fields >> name >> destination >> gateway >> flags >> refCount >> use >> metric >> mask))
            continue;
        unsigned flagBits = 0;
        long metricValue = 0;
        const auto gatewayWord = hexWord(gateway);
        if (destination != "00000000" || mask != "00000000" || !gatewayWord || !parsesWhole(flags, flagBits, 16)
            || !(flagBits & 0x1) || !parsesWhole(metric, metricValue, 10))
            continue;
        if (best && metricValue >= bestMetric)
            continue;
        // The kernel prints the address's bytes as one host-order word; putting that word back
        // into an in_addr restores the bytes on either byte order.
        in_addr address{};
        address.s_addr = *gatewayWord;
        char text[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &address, text, sizeof text);
        best = DefaultRoute{name, *gatewayWord == 0 ? std::string() : std::string(text)};
        bestMetric = metricValue;
    }
    return best;
}

std::vector<std::string> parseNameservers(const std::string& resolverConfig)
{
    std::vector<std::string> servers;
    std::istringstream lines(resolverConfig);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string keyword, address;
        if (fields >> keyword >> address && keyword == "nameserver" && address[0] != '#' && address[0] != ';')
            servers.push_back(address);
    }
    return servers;
}

std::vector<std::string> systemInterfaceAddresses(const std::string& interface)
{
    std::vector<std::string> addresses;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return addresses;
    for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || interface != entry->ifa_name)
            continue;
        char text[INET_ADDRSTRLEN] = {};
        const auto* address = reinterpret_cast<const sockaddr_in*>(entry->ifa_addr);
        if (::inet_ntop(AF_INET, &address->sin_addr, text, sizeof text))
            addresses.emplace_back(text);
    }
    ::freeifaddrs(list);
    return addresses;
}

NetworkState readLiveNetwork(const LiveNetworkSources& sources)
{
    NetworkState state;
    if (std::optional<DefaultRoute> route = parseDefaultRoute(readWhole(sources.routeTable))) {
        state.primaryInterface = route->interface;
        if (!route->gateway.empty())
            state.router = route->gateway;
        state.addresses = sources.interfaceAddresses ? sources.interfaceAddresses(route->interface)
                                                     : systemInterfaceAddresses(route->interface);
    }
    state.dnsServers = parseNameservers(readWhole(sources.resolverConfig));
    return state;
}

PlistDictionary dynamicStoreKeys(const NetworkState& state)
{
    PlistDictionary keys;
    if (state.primaryInterface) {
        PlistDictionary global;
        global.set("PrimaryInterface", *state.primaryInterface);
        if (state.router)
            global.set("Router", *state.router);
        keys.set(kGlobalIPv4, std::move(global));
        if (!state.addresses.empty()) {
            PlistDictionary interface;
            interface.set("Addresses", stringArray(state.addresses));
            keys.set(interfaceKey(*state.primaryInterface), std::move(interface));
        }
    }
    if (!state.dnsServers.empty()) {
        PlistDictionary dns;
        dns.set("ServerAddresses", stringArray(state.dnsServers));
        keys.set(kGlobalDNS, std::move(dns));
    }
    return keys;
}

NetworkState networkStateFromKeys(const PlistDictionary& keys)
{
    NetworkState state;
    const PlistValue* global = keys.find(kGlobalIPv4);
    if (global && global->dictionary()) {
        const PlistValue* name = global->dictionary()->find("PrimaryInterface");
        if (name && name->string())
            state.primaryInterface = *name->string();
        const PlistValue* router = global->dictionary()->find("Router");
        if (router && router->string())
            state.router = *router->string();
    }
    if (state.primaryInterface) {
        const PlistValue* interface = keys.find(interfaceKey(*state.primaryInterface));
        if (interface && interface->dictionary())
            state.addresses = stringsIn(interface->dictionary()->find("Addresses"));
    }
    const PlistValue* dns = keys.find(kGlobalDNS);
    if (dns && dns->dictionary())
        state.dnsServers = stringsIn(dns->dictionary()->find("ServerAddresses"));
    return state;
}

} // namespace veltrona
