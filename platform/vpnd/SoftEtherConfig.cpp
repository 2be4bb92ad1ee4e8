#include "platform/vpnd/SoftEtherConfig.h"

#include <openssl/evp.h>

#include <algorithm>
#include <sstream>

namespace veltrona {

namespace {

constexpr const char* kHub = "DEFAULT";

} // namespace

std::string base64Bytes(std::string_view bytes)
{
    std::string out(4 * ((bytes.size() + 2) / 3) + 1, '\0');
    const int length =
        EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                        reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<int>(bytes.size()));
    out.resize(static_cast<std::size_t>(std::max(length, 0)));
    return out;
}

std::optional<VirtualHost> virtualHostFor(Ipv4 first, Ipv4 last)
{
    // The narrowest subnet (at most /24) holding the pool with a host address to spare.
    int prefix = 24;
    while (prefix > 8 && ((first ^ last) >> (32 - prefix)) != 0)
        --prefix;
    for (; prefix >= 8; --prefix) {
        const Ipv4 mask = ~Ipv4(0) << (32 - prefix);
        const Ipv4 network = first & mask;
        const Ipv4 broadcast = network | ~mask;
        if ((last & mask) != network)
            continue;
        for (Ipv4 candidate : {network + 1, broadcast - 1})
            if (candidate < first || candidate > last)
                return VirtualHost{candidate, mask};
    }
    return std::nullopt;
}

std::string softEtherEscaped(std::string_view text)
{
    if (text.empty())
        return "$";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 32 || c == ' ' || c == '$') {
            out += '$';
            out += kHex[byte >> 4];
            out += kHex[byte & 0xf];
        } else {
            out += c;
        }
    }
    return out;
}

std::optional<std::string> softEtherConfig(const VpndSettings& settings, const SoftEtherSecrets& secrets)
{
    const std::optional<VirtualHost> host = virtualHostFor(settings.firstAddress, settings.lastAddress);
    if (!host)
        return std::nullopt;
    const std::string dns1 = settings.dnsServers.size() > 0 ? ipv4Text(settings.dnsServers[0]) : "0.0.0.0";
    const std::string dns2 = settings.dnsServers.size() > 1 ? ipv4Text(settings.dnsServers[1]) : "0.0.0.0";

    std::ostringstream c;
    c << "# Written by vpnd before every start; SoftEther's own changes are not kept.\n"
      << "declare root\n{\n"
      << "\tuint ConfigRevision 1\n"
      << "\tbool IPsecMessageDisplayed true\n"
      << "\tstring Region US\n"
      << "\tdeclare DDnsClient\n\t{\n\t\tbool Disabled true\n\t}\n"
      << "\tdeclare IPsec\n\t{\n"
      << "\t\tbool EtherIP_IPsec false\n"
      << "\t\tstring IPsec_Secret " << softEtherEscaped(settings.sharedSecret) << "\n"
      << "\t\tstring L2TP_DefaultHub " << kHub << "\n"
      << "\t\tbool L2TP_IPsec true\n"
      << "\t\tbool L2TP_Raw false\n"
      << "\t}\n"
      << "\tdeclare ListenerList\n\t{\n";
    if (secrets.adminPort != 0)
        c << "\t\tdeclare Listener0\n\t\t{\n\t\t\tbool DisableDos false\n\t\t\tbool Enabled true\n"
          << "\t\t\tuint Port " << secrets.adminPort << "\n\t\t}\n";
    c << "\t}\n"
      << "\tdeclare ServerConfiguration\n\t{\n"
      << "\t\tbool DisableDeadLockCheck false\n"
      << "\t\tbool DisableGetHostNameWhenAcceptTcp true\n"
      << "\t\tbool DisableIPv6Listener true\n"
      << "\t\tbool DisableJsonRpcWebApi " << (secrets.adminPort != 0 ? "false" : "true") << "\n"
      << "\t\tbool DisableNatTraversal true\n"
      << "\t\tbool DisableSessionReconnect false\n"
      << "\t\tbool DontBackupConfig true\n"
      << "\t\tbool EnableVpnAzure false\n"
      << "\t\tbool EnableVpnOverDns false\n"
      << "\t\tbool EnableVpnOverIcmp false\n"
      << "\t\tbyte HashedPassword "
      << (secrets.adminPasswordHash.empty() ? secrets.adminHash : secrets.adminPasswordHash) << "\n"
      << "\t\tstring KeepConnectHost $\n"
      << "\t\tstring ListenIP 0.0.0.0\n"
      << "\t\tbool NoSendSignature true\n"
      << "\t\tstring PortsUDP $\n"
      << "\t\tuint ServerType 0\n";
    if (!secrets.certificateDer.empty())
        c << "\t\tbyte ServerCert " << base64Bytes(secrets.certificateDer) << "\n"
          << "\t\tbyte ServerKey " << base64Bytes(secrets.keyDer) << "\n";
    c << "\t\tbool UseKeepConnect false\n"
      << "\t\tbool UseWebTimePage false\n"
      << "\t\tbool UseWebUI false\n"
      << "\t\tdeclare Proto\n\t\t{\n"
      << "\t\t\tdeclare OpenVPN\n\t\t\t{\n\t\t\t\tbool Enabled false\n\t\t\t}\n"
      << "\t\t\tdeclare SSTP\n\t\t\t{\n\t\t\t\tbool Enabled false\n\t\t\t}\n"
      << "\t\t}\n"
      << "\t\tdeclare SyslogSettings\n\t\t{\n\t\t\tuint SaveType 0\n\t\t}\n"
      << "\t}\n"
      << "\tdeclare VirtualHUB\n\t{\n"
      << "\t\tdeclare " << kHub << "\n\t\t{\n"
      << "\t\t\tbyte HashedPassword " << secrets.adminHash << "\n"
      << "\t\t\tbool Online true\n"
      << "\t\t\tstring RadiusServerName 127.0.0.1\n"
      << "\t\t\tuint RadiusServerPort " << secrets.radiusPort << "\n"
      << "\t\t\tbyte RadiusSecret " << base64Bytes(secrets.radiusSecret) << "\n"
      << "\t\t\tuint RadiusRetryInterval 500\n"
      << "\t\t\tbyte SecurePassword " << secrets.adminHash << "\n"
      << "\t\t\tuint Type 0\n"
      << "\t\t\tdeclare SecureNAT\n\t\t\t{\n"
      << "\t\t\t\tbool Disabled false\n"
      << "\t\t\t\tbool SaveLog true\n"
      << "\t\t\t\tdeclare VirtualDhcpServer\n\t\t\t\t{\n"
      << "\t\t\t\t\tstring DhcpDnsServerAddress " << dns1 << "\n"
      << "\t\t\t\t\tstring DhcpDnsServerAddress2 " << dns2 << "\n"
      << "\t\t\t\t\tstring DhcpDomainName " << softEtherEscaped(settings.searchDomain) << "\n"
      << "\t\t\t\t\tbool DhcpEnabled true\n"
      << "\t\t\t\t\tuint DhcpExpireTimeSpan 7200\n"
      << "\t\t\t\t\tstring DhcpGatewayAddress " << ipv4Text(host->address) << "\n"
      << "\t\t\t\t\tstring DhcpLeaseIPEnd " << ipv4Text(settings.lastAddress) << "\n"
      << "\t\t\t\t\tstring DhcpLeaseIPStart " << ipv4Text(settings.firstAddress) << "\n"
      << "\t\t\t\t\tstring DhcpPushRoutes $\n"
      << "\t\t\t\t\tstring DhcpSubnetMask " << ipv4Text(host->mask) << "\n"
      << "\t\t\t\t}\n"
      << "\t\t\t\tdeclare VirtualHost\n\t\t\t\t{\n"
      << "\t\t\t\t\tstring VirtualHostIp " << ipv4Text(host->address) << "\n"
      << "\t\t\t\t\tstring VirtualHostIpSubnetMask " << ipv4Text(host->mask) << "\n"
      << "\t\t\t\t}\n"
      << "\t\t\t\tdeclare VirtualRouter\n\t\t\t\t{\n"
      << "\t\t\t\t\tbool NatEnabled true\n"
      << "\t\t\t\t\tuint NatMtu 1500\n"
      << "\t\t\t\t\tuint NatTcpTimeout 1800\n"
      << "\t\t\t\t\tuint NatUdpTimeout 60\n"
      << "\t\t\t\t}\n"
      << "\t\t\t}\n"
      << "\t\t\tdeclare SecurityAccountDatabase\n\t\t\t{\n"
      << "\t\t\t\tdeclare UserList\n\t\t\t\t{\n"
      // "*": every name is asked of the RADIUS server.
      << "\t\t\t\t\tdeclare *\n\t\t\t\t\t{\n\t\t\t\t\t\tuint AuthType 4\n\t\t\t\t\t}\n"
      << "\t\t\t\t}\n"
      << "\t\t\t}\n"
      << "\t\t}\n"
      << "\t}\n"
      << "}\n";
    return c.str();
}

} // namespace veltrona
