#include "vpnserver/ConnectedClients.h"

#include "foundation/PlistIO.h"
#include "foundation/Text.h"
#include "foundation/UtcTime.h"

#include <cmath>

namespace veltrona {

namespace {

std::string stringAt(const PlistDictionary& entry, const char* key)
{
    const PlistValue* value = entry.find(key);
    const std::string* text = value ? value->string() : nullptr;
    return text ? *text : std::string();
}

std::int64_t integerAt(const PlistDictionary& entry, const char* key)
{
    const PlistValue* value = entry.find(key);
    const std::int64_t* number = value ? value->integer() : nullptr;
    return number && *number > 0 ? *number : 0;
}

} // namespace

std::vector<std::string> connectedClientsArguments()
{
    return {"/usr/sbin/vpnsessions", "list"};
}

std::vector<std::string> disconnectArguments(const std::string& account)
{
    return {"/usr/sbin/vpnsessions", "disconnect", account};
}

std::optional<std::vector<ConnectedClient>> parseConnectedClients(std::string_view text)
{
    const std::optional<PlistValue> parsed = parsePlist(text);
    const PlistArray* entries = parsed ? parsed->array() : nullptr;
    if (!entries)
        return std::nullopt;
    std::vector<ConnectedClient> clients;
    for (const PlistValue& value : *entries) {
        const PlistDictionary* entry = value.dictionary();
        if (!entry)
            return std::nullopt;
        ConnectedClient client;
        client.account = stringAt(*entry, "Name");
        client.remoteAddress = stringAt(*entry, "RemoteAddress");
        client.tunnelAddress = stringAt(*entry, "TunnelAddress");
        const PlistValue* since = entry->find("ConnectedSince");
        if (const PlistDate* date = since ? since->date() : nullptr)
            client.connectedSince = kPlistEpochUnixTime + static_cast<std::int64_t>(std::floor(date->seconds));
        client.bytesIn = integerAt(*entry, "BytesIn");
        client.bytesOut = integerAt(*entry, "BytesOut");
        clients.push_back(std::move(client));
    }
    return clients;
}

std::optional<std::vector<ConnectedClient>> connectedClients(CommandRunner& runner)
{
    runner.setArgs(connectedClientsArguments());
    return parseConnectedClients(runner.startProcessGetResult());
}

std::optional<int> disconnectClient(CommandRunner& runner, const std::string& account)
{
    runner.setArgs(disconnectArguments(account));
    const std::string count = trimWhitespace(runner.startProcessGetResult());
    if (count.empty() || count.size() > 6 || count.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(count);
}

AlertText disconnectConfirmationAlert(const std::string& account)
{
    return {"Disconnect " + account + " from the VPN server?",
            "Their connection ends now. The account stays, and they can connect again.",
            {"Cancel", "Disconnect"}};
}

AlertText disconnectFailedAlert(const std::string& account)
{
    return {account + " could not be disconnected", kSessionsUnreadable, {}};
}

} // namespace veltrona
