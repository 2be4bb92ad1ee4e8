"""The few IPv4 and ICMP pieces the ping through the tunnel needs."""

import ipaddress
import struct

ICMP = 1
ECHO_REPLY, ECHO_REQUEST = 0, 8


def checksum(data):
    if len(data) % 2:
        data += b"\0"
    total = sum(struct.unpack("!%dH" % (len(data) // 2), data))
    while total >> 16:
        total = (total & 0xFFFF) + (total >> 16)
    return ~total & 0xFFFF


def ipv4_packet(src, dst, protocol, payload, ident=0, ttl=64):
    header = struct.pack("!BBHHHBBH4s4s", 0x45, 0, 20 + len(payload), ident, 0, ttl, protocol, 0,
                         ipaddress.IPv4Address(src).packed, ipaddress.IPv4Address(dst).packed)
    header = header[:10] + struct.pack("!H", checksum(header)) + header[12:]
    return header + payload


def icmp_echo(src, dst, ident, seq, data):
    icmp = struct.pack("!BBHHH", ECHO_REQUEST, 0, 0, ident, seq) + data
    icmp = icmp[:2] + struct.pack("!H", checksum(icmp)) + icmp[4:]
    return ipv4_packet(src, dst, ICMP, icmp, ident=seq)


def parse_echo_reply(packet):
    """-> (source, ident, seq) of a well-formed ICMP echo reply, else None."""
    if len(packet) < 20 or packet[0] >> 4 != 4:
        return None
    ihl = (packet[0] & 0x0F) * 4
    total = struct.unpack("!H", packet[2:4])[0]
    if ihl < 20 or total < ihl + 8 or total > len(packet) or packet[9] != ICMP:
        return None
    if checksum(packet[:ihl]) != 0:
        return None
    icmp = packet[ihl:total]
    if icmp[0] != ECHO_REPLY or checksum(icmp) != 0:
        return None
    _, _, _, ident, seq = struct.unpack("!BBHHH", icmp[:8])
    return str(ipaddress.IPv4Address(packet[12:16])), ident, seq
