// SoftEther's configuration as vpnd writes it before every start.

#include "platform/vpnd/SoftEtherConfig.h"
#include "foundation/AddressText.h"

#include <gtest/gtest.h>

namespace veltrona::test {
namespace {

Ipv4 ip(const char* text)
{
    return *ipv4Number(text);
}

TEST(SoftEtherConfigTest, SecureNatsHostIsInThePoolsSubnetButOutsideThePool)
{
    struct Case {
        const char *first, *last, *host, *mask;
    };
    for (const Case& c : std::vector<Case>{
             {"192.168.1.224", "192.168.1.254", "192.168.1.1", "255.255.255.0"},
             {"192.168.1.1", "192.168.1.100", "192.168.1.254", "255.255.255.0"},
             {"10.0.0.1", "10.0.0.254", "10.0.1.254", "255.255.254.0"},
             {"10.0.0.200", "10.0.1.20", "10.0.0.1", "255.255.254.0"},
             {"172.16.5.9", "172.16.5.9", "172.16.5.1", "255.255.255.0"},
         }) {
        const std::optional<VirtualHost> host = virtualHostFor(ip(c.first), ip(c.last));
        ASSERT_TRUE(host) << c.first;
        EXPECT_EQ(ipv4Text(host->address), c.host) << c.first << " - " << c.last;
        EXPECT_EQ(ipv4Text(host->mask), c.mask) << c.first << " - " << c.last;
    }
    EXPECT_FALSE(virtualHostFor(ip("10.0.0.0"), ip("10.255.255.255")));
    for (const char* bad : {"10.0.0", "10.0.0.256", "10.0.0.1 ", "1.2.3.4.5", "a.b.c.d", ""})
        EXPECT_FALSE(ipv4Number(bad)) << bad;
}

TEST(SoftEtherConfigTest, ServesL2tpWithTheSettingsAndNothingElse)
{
    VpndSettings settings;
    settings.firstAddress = ip("192.168.1.224");
    settings.lastAddress = ip("192.168.1.254");
    settings.dnsServers = {ip("192.168.1.1"), ip("9.9.9.9"), ip("1.1.1.1")};
    settings.searchDomain = "lan example";
    settings.sharedSecret = "Sesame 42$";
    const std::optional<std::string> config = softEtherConfig(settings, {18120, "radius", "AAAA", 0, {}, {}, {}});
    ASSERT_TRUE(config);
    for (const char* line : {"string IPsec_Secret Sesame$2042$24\n",
                             "bool L2TP_IPsec true\n",
                             "bool L2TP_Raw false\n",
                             "bool EtherIP_IPsec false\n",
                             "declare ListenerList\n\t{\n\t}\n",
                             "bool Disabled true\n",
                             "bool DisableJsonRpcWebApi true\n",
                             "bool DisableNatTraversal true\n",
                             "bool EnableVpnAzure false\n",
                             "bool UseKeepConnect false\n",
                             "bool UseWebUI false\n",
                             "string PortsUDP $\n",
                             "declare OpenVPN\n\t\t\t{\n\t\t\t\tbool Enabled false\n",
                             "declare SSTP\n\t\t\t{\n\t\t\t\tbool Enabled false\n",
                             "string RadiusServerName 127.0.0.1\n",
                             "uint RadiusServerPort 18120\n",
                             "byte RadiusSecret cmFkaXVz\n",
                             "string DhcpLeaseIPStart 192.168.1.224\n",
                             "string DhcpLeaseIPEnd 192.168.1.254\n",
                             "string DhcpDnsServerAddress 192.168.1.1\n",
                             "string DhcpDnsServerAddress2 9.9.9.9\n",
                             "string DhcpDomainName lan$20example\n",
                             "string VirtualHostIp 192.168.1.1\n",
                             "declare *\n\t\t\t\t\t{\n\t\t\t\t\t\tuint AuthType 4\n"})
        EXPECT_NE(config->find(line), std::string::npos) << line;
    EXPECT_EQ(softEtherEscaped(""), "$");
    EXPECT_EQ(softEtherEscaped("a\tb\nc"), "a$09b$0Ac");
}

} // namespace
} // namespace veltrona::test
