"""UDP 1701 datagrams carried in ESP transport mode over UDP 4500.  IKE
messages that arrive meanwhile go to the IKE session (DPD, deletes)."""

import struct

from esp import EspError

UDP = 17
L2TP_PORT = 1701


class ChannelClosed(Exception):
    pass


class EspChannel:
    def __init__(self, transport, ike_session, inbound, outbound, log=lambda text: None):
        self.t = transport
        self.ike = ike_session
        self.inbound = inbound
        self.outbound = outbound
        self.log = log
        self.dropped = 0

    def send(self, payload):
        # Checksum 0: allowed for UDP over IPv4, and RFC 3948 lets transport
        # mode under NAT-T skip it.
        udp = struct.pack("!HHHH", L2TP_PORT, L2TP_PORT, 8 + len(payload), 0) + payload
        self.t.send_esp(self.outbound.seal(UDP, udp))

    def recv(self, deadline):
        """-> the next L2TP datagram, or None at the deadline."""
        while True:
            got = self.t.recv(deadline)
            if got is None:
                return None
            kind, data = got
            if kind == "ike":
                closed = self.ike.handle(data)
                if closed:
                    raise ChannelClosed(closed)
                continue
            try:
                next_header, inner = self.inbound.open(data)
            except EspError as e:
                self.dropped += 1
                self.log("esp: dropped packet: %s" % e)
                continue
            if next_header != UDP or len(inner) < 8:
                continue
            _, dport, length, _ = struct.unpack("!HHHH", inner[:8])
            if dport != L2TP_PORT or length < 8 or length > len(inner):
                continue
            return inner[8:length]
