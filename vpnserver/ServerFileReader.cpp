#include "vpnserver/ServerFileReader.h"

#include "foundation/KeyPath.h"
#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "foundation/Text.h"
#include "vpnserver/PortForwardingText.h"
#include "vpnserver/SharedSecretData.h"

#include <optional>
#include <vector>

namespace veltrona {

namespace {

std::string stringOrEmpty(const PlistValue* value)
{
    const std::string* text = value ? value->string() : nullptr;
    return text ? *text : std::string();
}

// The strings of an array joined with ", "; elements that are no strings are left out.
std::string joinedStrings(const PlistValue* value)
{
    return join(stringsIn(value), ", ");
}

const PlistValue* elementAt(const PlistValue* value, std::size_t index)
{
    const PlistArray* array = value ? value->array() : nullptr;
    return array && index < array->size() ? &(*array)[index] : nullptr;
}

void readServerFile(const PlistValue& root, ServerSettings& settings)
{
    settings.vpnHost = stringOrEmpty(valueForKey(root, "VPNHost"));
    settings.sharedSecret = sharedSecretText(valueForKey(root, "SharedSecret"));

    const PlistValue* entry = valueForKeyPath(root, "Servers.com.apple.ppp." + settings.type);
    const PlistValue* dns = entry ? valueForKey(*entry, "DNS") : nullptr;
    settings.dnsServerAddresses = joinedStrings(dns ? valueForKey(*dns, "OfferedServerAddresses") : nullptr);
    settings.searchDomains = joinedStrings(dns ? valueForKey(*dns, "OfferedSearchDomains") : nullptr);

    const PlistValue* ipv4 = entry ? valueForKey(*entry, "IPv4") : nullptr;
    const PlistValue* ranges = ipv4 ? valueForKey(*ipv4, "DestAddressRanges") : nullptr;
    settings.startIPAddress = stringOrEmpty(elementAt(ranges, 0));
    settings.endIPAddress = stringOrEmpty(elementAt(ranges, 1));
}

} // namespace

std::string typeOfJob(const PlistValue& job)
{
    const PlistValue* arguments = valueForKey(job, "ProgramArguments");
    const PlistArray* list = arguments ? arguments->array() : nullptr;
    if (list == nullptr || list->empty())
        return {};
    const std::string* last = list->back().string();
    if (last == nullptr)
        return {};
    std::vector<std::string> pieces = split(*last, ".");
    return pieces.empty() ? std::string() : pieces.back();
}

LoadedServerSettings loadVPNSettings(const ServerFileLocations& locations)
{
    LoadedServerSettings loaded;
    const std::optional<PlistValue> server = readPlistDictionaryFile(locations.installedServerFile());
    const std::optional<PlistValue> job = readPlistDictionaryFile(locations.installedJobFile());

    loaded.jobFileRead = job.has_value();
    if (job)
        loaded.settings.type = typeOfJob(*job);

    loaded.serverFileRead = server.has_value();
    if (server)
        readServerFile(*server, loaded.settings);

    loaded.portForwardingInfo = portForwardingText(loaded.settings.type);
    return loaded;
}

} // namespace veltrona
