#pragma once
// SoftEther VPN Server's configuration file, written whole before every start: L2TP over IPsec
// with the shared secret, SecureNAT's DHCP handing out the client range and the DNS offered,
// every login asked of our RADIUS responder on loopback, and everything else off — its TCP
// listeners (but one on loopback for vpnd's own administration), the administration page, OpenVPN, SSTP, EtherIP, raw L2TP, dynamic DNS,
// VPN Azure, NAT traversal and keep-alive — so that it contacts nobody, not even once.

#include "platform/vpnd/VpndSettings.h"

#include <string>

namespace veltrona {

struct SoftEtherSecrets {
    unsigned radiusPort = 0;
    std::string radiusSecret;
    std::string adminHash; // 20 random bytes, Base64: an administration password nobody knows
    // When set: JSON-RPC administration on this port (bound to loopback by vpnd's preload),
    // with the password's SHA-0 and the certificate and key (DER) the client pins.
    unsigned adminPort = 0;
    std::string adminPasswordHash;
    std::string certificateDer;
    std::string keyDer;
};

// SecureNAT's own address and mask: a host of the pool's subnet outside the pool.
struct VirtualHost {
    Ipv4 address = 0;
    Ipv4 mask = 0;
};
std::optional<VirtualHost> virtualHostFor(Ipv4 first, Ipv4 last);

// A value as SoftEther's configuration writes strings: "$" for none, control characters, blanks
// and "$" as "$XX".
std::string softEtherEscaped(std::string_view text);

// Bytes as the file writes byte values.
std::string base64Bytes(std::string_view bytes);

// The file's text; nothing when the pool leaves no address for SecureNAT's host.
std::optional<std::string> softEtherConfig(const VpndSettings& settings, const SoftEtherSecrets& secrets);

} // namespace veltrona
