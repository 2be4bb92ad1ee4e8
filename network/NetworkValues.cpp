#include "network/NetworkValues.h"

#include "foundation/PlistStrings.h"

#include <optional>

namespace veltrona {

namespace {

// The strings of one key's array inside one store value; nothing at any step gives none.
std::vector<std::string> stringsAt(const DynamicStoreConnection& connection, const std::string& storeKey,
                                   std::string_view innerKey)
{
    const std::optional<PlistValue> value = connection.copyValue(storeKey);
    if (!value || !value->dictionary())
        return {};
    return stringsIn(value->dictionary()->find(innerKey));
}

} // namespace

NetworkValues readNetworkValues(const DynamicStoreConnection& connection)
{
    NetworkValues values;
    const std::optional<PlistValue> global = connection.copyValue("State:/Network/Global/IPv4");
    const PlistValue* primary =
        global && global->dictionary() ? global->dictionary()->find("PrimaryInterface") : nullptr;
    if (primary && primary->string() && !primary->string()->empty())
        values.addresses =
            stringsAt(connection, "State:/Network/Interface/" + *primary->string() + "/IPv4", "Addresses");
    values.dnsServers = stringsAt(connection, "State:/Network/Global/DNS", "ServerAddresses");
    return values;
}

NetworkValues readNetworkValues(DynamicStore& store)
{
    const std::unique_ptr<DynamicStoreConnection> connection = store.create(kDynamicStoreClientName);
    if (!connection)
        return {};
    return readNetworkValues(*connection);
}

} // namespace veltrona
