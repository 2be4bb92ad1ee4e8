#include "platform/tools/NetworkCommand.h"

#include "foundation/PlistIO.h"
#include "foundation/PlistStrings.h"
#include "platform/PlatformPaths.h"
#include "platform/PlatformRoot.h"
#include "platform/emulated/DynamicStoreEmulated.h"

#include <arpa/inet.h>
#include <cctype>
#include <filesystem>

namespace veltrona {

namespace {

constexpr int kUsageExit = 2;
constexpr const char* kUsage =
    "usage: veltrona-platform network DIR [--interface NAME [--address A]...] [--dns D]... | [--offline]\n";

struct Request {
    NetworkState state;
    bool offline = false;
    bool write = false;
};

bool isIPv4(const std::string& text)
{
    in_addr address{};
    return ::inet_pton(AF_INET, text.c_str(), &address) == 1;
}

bool isIPAddress(const std::string& text)
{
    in6_addr address{};
    return isIPv4(text) || ::inet_pton(AF_INET6, text.c_str(), &address) == 1;
}

// The name goes into a store key ("State:/Network/Interface/NAME/IPv4"), so keep it to a plain word.
bool isInterfaceName(const std::string& text)
{
    if (text.empty() || text.size() > 64)
        return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.' && c != '-' && c != '_')
            return false;
    return true;
}

// Returns an error text, or "" when the request is sound.
std::string parseRequest(const std::vector<std::string>& arguments, Request& request)
{
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& option = arguments[i];
        request.write = true;
        if (option == "--offline") {
            request.offline = true;
            continue;
        }
        if (option != "--interface" && option != "--address" && option != "--dns")
            return "unknown option " + option;
        if (i + 1 >= arguments.size())
            return option + " needs a value";
        const std::string& value = arguments[++i];
        if (option == "--interface") {
            if (!isInterfaceName(value))
                return "not an interface name: " + value;
            request.state.primaryInterface = value;
        } else if (option == "--address") {
            if (!isIPv4(value))
                return "not an IPv4 address: " + value;
            request.state.addresses.push_back(value);
        } else {
            if (!isIPAddress(value))
                return "not an IP address: " + value;
            request.state.dnsServers.push_back(value);
        }
    }
    if (request.offline
        && (request.state.primaryInterface || !request.state.dnsServers.empty() || !request.state.addresses.empty()))
        return "--offline stands alone";
    if (!request.state.addresses.empty() && !request.state.primaryInterface)
        return "--address needs --interface";
    return {};
}

std::vector<std::string> stringsAt(const std::optional<PlistValue>& dictionary, std::string_view key)
{
    // A value of another kind than a dictionary holds no list.
    const PlistDictionary* entries = dictionary ? dictionary->dictionary() : nullptr;
    return stringsIn(entries ? entries->find(key) : nullptr);
}

// Walks the store the way the address suggestion does.
int printState(const PlatformPaths& paths, std::ostream& out, std::ostream& err)
{
    const std::string file = paths.map(kDynamicStoreFile);
    std::unique_ptr<DynamicStoreConnection> store = DynamicStoreEmulated(paths).create("veltrona-platform");
    if (!store) {
        err << "veltrona-platform network: " << file << " is not a valid dynamic-store property list\n";
        return 1;
    }
    std::error_code ec;
    out << "Source: " << (std::filesystem::exists(file, ec) ? file : std::string("live network state of this machine"))
        << "\n";
    std::string interface;
    if (std::optional<PlistValue> global = store->copyValue("State:/Network/Global/IPv4")) {
        const PlistValue* name = global->dictionary()->find("PrimaryInterface");
        if (name && name->string())
            interface = *name->string();
    }
    out << "Primary interface: " << (interface.empty() ? "none" : interface) << "\n";
    std::vector<std::string> addresses;
    if (!interface.empty())
        addresses = stringsAt(store->copyValue("State:/Network/Interface/" + interface + "/IPv4"), "Addresses");
    if (addresses.empty())
        out << "Address: none\n";
    for (const std::string& address : addresses)
        out << "Address: " << address << "\n";
    const std::vector<std::string> servers =
        stringsAt(store->copyValue("State:/Network/Global/DNS"), "ServerAddresses");
    if (servers.empty())
        out << "DNS server: none\n";
    for (const std::string& server : servers)
        out << "DNS server: " << server << "\n";
    return 0;
}

} // namespace

int runNetworkCommand(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err)
{
    if (arguments.empty()) {
        err << kUsage;
        return kUsageExit;
    }
    const ResolvedRoot resolved = resolvePlatformRoot(arguments[0]);
    if (!resolved.status) {
        err << "veltrona-platform network: " << resolved.status.message() << "\n";
        return 1;
    }
    std::error_code ec;
    if (!std::filesystem::is_directory(resolved.root, ec)) {
        err << "veltrona-platform network: no platform root at " << resolved.root.string() << "\n";
        return 1;
    }
    Request request;
    if (const std::string problem = parseRequest(arguments, request); !problem.empty()) {
        err << "veltrona-platform network: " << problem << "\n" << kUsage;
        return kUsageExit;
    }
    const PlatformPaths paths(resolved.root);
    if (!request.write)
        return printState(paths, out, err);
    const std::filesystem::path file = paths.map(kDynamicStoreFile);
    std::filesystem::create_directories(file.parent_path(), ec);
    const Status written =
        writePlistAtomically(dynamicStoreKeys(request.state), file, FileAccess::AsBefore, paths.root());
    if (!written) {
        err << "veltrona-platform network: " << written.message() << "\n";
        return 1;
    }
    return 0;
}

} // namespace veltrona
