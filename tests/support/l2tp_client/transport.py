"""One UDP socket to the server: IKE on port 500 until NAT traversal moves
everything to port 4500, where IKE carries the non-ESP marker (RFC 3948)."""

import ipaddress
import socket
import time

IKE_PORT = 500
NATT_PORT = 4500
NON_ESP_MARKER = b"\0\0\0\0"


def local_address_towards(server):
    """The source address the kernel would pick; connect() on UDP sends nothing."""
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        probe.connect((server, IKE_PORT))
        return probe.getsockname()[0]
    finally:
        probe.close()


class UdpTransport:
    def __init__(self, server, bind=None):
        self.server = str(ipaddress.IPv4Address(server))
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        try:
            self.sock.bind((bind or "", 0))
            self.local_ip = bind or local_address_towards(self.server)
        except OSError:
            self.sock.close()
            raise
        self.local_port = self.sock.getsockname()[1]
        self.nat_t = False

    def close(self):
        self.sock.close()

    def send_ike(self, message):
        if self.nat_t:
            self.sock.sendto(NON_ESP_MARKER + message, (self.server, NATT_PORT))
        else:
            self.sock.sendto(message, (self.server, IKE_PORT))

    def send_esp(self, packet):
        self.sock.sendto(packet, (self.server, NATT_PORT))

    def recv(self, deadline):
        """-> ("ike", message) | ("esp", packet) | None when the deadline passes."""
        while True:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            self.sock.settimeout(remaining)
            try:
                data, (ip, port) = self.sock.recvfrom(65535)
            except socket.timeout:
                return None
            except ConnectionRefusedError:
                # An ICMP port-unreachable from the server: keep waiting, the
                # caller's retransmission or deadline decides.
                continue
            if ip != self.server:
                continue
            if port == IKE_PORT:
                return "ike", data
            if port == NATT_PORT:
                if data == b"\xff":
                    continue  # NAT keepalive
                if data[:4] == NON_ESP_MARKER:
                    return "ike", data[4:]
                return "esp", data
