#include "vpnserver/SetupChecks.h"

#include "foundation/AddressText.h"
#include "foundation/HexText.h"
#include "foundation/PlistIO.h"
#include "foundation/Text.h"
#include "platform/ShellWord.h"
#include "vpnserver/AddressRangeCheck.h"
#include "vpnserver/ServerControl.h"
#include "vpnserver/ServingState.h"

#include <algorithm>
#include <chrono>
#include <map>
#include <sstream>

namespace veltrona {

namespace {

constexpr const char* kNtHashKey = "SMB-NT";
constexpr std::size_t kNtHashSize = 16;
// dig gives up after 2 s; the runner's limit only ends a dig that hangs past it.
constexpr auto kDigLimit = std::chrono::milliseconds(4000);

std::string firstString(const PlistDictionary& record, std::string_view key)
{
    const PlistValue* value = record.find(key);
    const PlistArray* values = value ? value->array() : nullptr;
    const std::string* text = values && !values->empty() ? values->front().string() : nullptr;
    return text ? *text : std::string();
}

bool holdsNtHash(const std::string& shadowHex)
{
    const std::optional<PlistData> bytes = bytesOfHex(shadowHex);
    if (!bytes || bytes->empty())
        return false;
    const std::optional<PlistValue> shadow =
        parsePlist(std::string_view(reinterpret_cast<const char*>(bytes->data()), bytes->size()));
    const PlistDictionary* entries = shadow ? shadow->dictionary() : nullptr;
    const PlistValue* hash = entries ? entries->find(kNtHashKey) : nullptr;
    return hash && hash->data() && hash->data()->size() == kNtHashSize;
}

SetupCheck checkSharedSecret(const std::string& secret)
{
    if (secret.empty())
        return {kSharedSecretCheck, CheckResult::Fail, "Set a shared secret of at least 8 characters."};
    if (secret.size() < kShortestSharedSecret)
        return {kSharedSecretCheck, CheckResult::Fail, "Make the shared secret at least 8 characters long."};
    return {kSharedSecretCheck, CheckResult::Pass, "set"};
}

SetupCheck checkAccounts(CommandRunner& runner, const std::vector<std::string>& names)
{
    if (names.empty())
        return {kAccountsCheck, CheckResult::Fail, "Add a VPN account so that someone can log in."};
    runner.setArgs(shadowHashListingArguments());
    const std::optional<std::vector<std::string>> without =
        accountsWithoutNtHash(names, runner.startProcessGetResult());
    if (!without)
        return {kAccountsCheck, CheckResult::Fail,
                "The directory could not be read; make sure the directory service works, then check again."};
    if (!without->empty())
        return {kAccountsCheck, CheckResult::Fail,
                "Set the password again for " + join(*without, ", ") + " so that they can log in over the VPN."};
    return {kAccountsCheck, CheckResult::Pass,
            std::to_string(names.size())
                + (names.size() == 1 ? " account; it can log in" : " accounts; each can log in")};
}

SetupCheck checkDnsServers(CommandRunner& runner, const std::string& list)
{
    std::vector<std::string> servers;
    for (const std::string& piece : split(list, ","))
        if (std::string server = trimWhitespace(piece); !server.empty())
            servers.push_back(std::move(server));
    if (servers.empty())
        return {kDnsCheck, CheckResult::Fail, "Enter at least one DNS server."};
    for (const std::string& server : servers)
        if (!isIPAddress(server))
            return {kDnsCheck, CheckResult::Fail, "Enter the DNS server " + server + " as an IP address."};
    for (const std::string& server : servers) {
        // Any reply counts, even "not found": the server answered.
        runner.setArgs(shellCommandArguments("dig @" + shellWord(server) + " -x 127.0.0.1 +time=2 +tries=1"));
        runner.setTimeLimit(kDigLimit);
        if (runner.startProcessGetResult().find("->>HEADER<<-") == std::string::npos)
            return {kDnsCheck, CheckResult::Fail,
                    "Check that the DNS server " + server + " is reachable, or enter another one."};
    }
    return {kDnsCheck, CheckResult::Pass, "answered"};
}

SetupCheck checkPorts(CommandRunner& runner, const PlatformPaths& platform)
{
    runner.setArgs(shellCommandArguments("cat /proc/net/udp /proc/net/udp6 2>/dev/null"));
    const std::vector<int> bound = boundUdpPorts(runner.startProcessGetResult(), {500, 4500});
    if (bound.empty())
        return {kPortsCheck, CheckResult::Pass, "free"};
    if (servingState(runner, platform).serving)
        return {kPortsCheck, CheckResult::Pass, "held by this server's vpnd"};
    return {kPortsCheck, CheckResult::Fail,
            "Quit the program that holds UDP port " + std::to_string(bound.front())
                + " (often another VPN server), then start again."};
}

SetupCheck checkServeHere(CommandRunner& runner, const std::string& type)
{
    runner.setArgs(shellCommandArguments("id -u; if [ -x /usr/libexec/softether/vpnserver/vpnserver ]; then echo "
                                         "softether; fi; if (exec 3<>/dev/ppp) 2>/dev/null; then echo ppp; fi"));
    const std::vector<std::string> lines = split(runner.startProcessGetResult() + "\n", "\n");
    const auto has = [&](std::string_view word) { return std::find(lines.begin(), lines.end(), word) != lines.end(); };
    if (lines.empty() || lines.front() != "0")
        return {kServeHereCheck, CheckResult::Fail, "Run Veltrona as root: serving needs root privileges."};
    if (type == "PPTP" && !has("ppp"))
        return {kServeHereCheck, CheckResult::Fail,
                "PPTP cannot be served on this machine: it has no kernel PPP. Choose L2TP instead."};
    if (!has("softether"))
        return {kServeHereCheck, CheckResult::Fail, "Install the SoftEther VPN Server package (softether-vpnserver)."};
    return {kServeHereCheck, CheckResult::Pass, "root, SoftEther VPN Server"};
}

} // namespace

std::vector<std::string> shadowHashListingArguments()
{
    return shellCommandArguments("dscl -plist . readall /users ShadowHashData");
}

std::optional<std::vector<std::string>> accountsWithoutNtHash(const std::vector<std::string>& names,
                                                              const std::string& listing)
{
    std::map<std::string, std::string> shadows;
    const std::optional<PlistValue> parsed = parsePlist(listing);
    const PlistArray* records = parsed ? parsed->array() : nullptr;
    if (records == nullptr)
        return std::nullopt;
    for (const PlistValue& record : *records)
        if (const PlistDictionary* fields = record.dictionary())
            shadows[firstString(*fields, "dsAttrTypeStandard:RecordName")] =
                firstString(*fields, "dsAttrTypeNative:ShadowHashData");
    std::vector<std::string> without;
    for (const std::string& name : names)
        if (!holdsNtHash(shadows[name]))
            without.push_back(name);
    return without;
}

std::vector<int> boundUdpPorts(const std::string& procNetUdp, const std::vector<int>& ports)
{
    std::vector<int> bound;
    std::istringstream lines(procNetUdp);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream fields(line);
        std::string slot;
        std::string local;
        fields >> slot >> local;
        const std::size_t colon = local.rfind(':');
        if (slot.empty() || slot.back() != ':' || colon == std::string::npos)
            continue;
        const std::string hexPort = local.substr(colon + 1);
        if (hexPort.empty() || hexPort.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
            continue;
        const int port = std::stoi(hexPort, nullptr, 16);
        if (std::find(ports.begin(), ports.end(), port) != ports.end()
            && std::find(bound.begin(), bound.end(), port) == bound.end())
            bound.push_back(port);
    }
    std::sort(bound.begin(), bound.end());
    return bound;
}

std::vector<SetupCheck> runSetupChecks(CommandRunner& runner, const PlatformPaths& platform,
                                       const SetupCheckInput& input, std::time_t now)
{
    const ServerSettings& settings = input.settings;
    const std::vector<std::string> dns = split(settings.dnsServerAddresses, ",");
    return {checkSharedSecret(settings.sharedSecret),
            checkAccounts(runner, input.vpnAccounts),
            checkAddressRange(settings.startIPAddress, settings.endIPAddress, input.machineAddresses,
                              dns.empty() ? std::string() : trimWhitespace(dns.front())),
            checkDnsServers(runner, settings.dnsServerAddresses),
            checkPorts(runner, platform),
            checkServeHere(runner, settings.type),
            checkSigning(input.signing, now)};
}

std::optional<SetupCheck> firstFailedCheck(const std::vector<SetupCheck>& checks)
{
    for (const SetupCheck& check : checks)
        if (check.result == CheckResult::Fail)
            return check;
    return std::nullopt;
}

std::string failedCheckLogLine(const SetupCheck& check)
{
    return "The setup check \"" + check.name + "\" failed: " + check.message;
}

std::string_view resultText(CheckResult result)
{
    switch (result) {
    case CheckResult::Pass: return "passed";
    case CheckResult::Warn: return "warning";
    case CheckResult::Fail: break;
    }
    return "failed";
}

} // namespace veltrona
