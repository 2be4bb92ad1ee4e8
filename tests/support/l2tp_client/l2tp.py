"""L2TPv2 (RFC 2661): message encoding and the reliable control connection."""

import secrets
import struct
import time

# Message types
SCCRQ, SCCRP, SCCCN, STOPCCN, HELLO = 1, 2, 3, 4, 6
ICRQ, ICRP, ICCN, CDN = 10, 11, 12, 14
MESSAGE_NAMES = {1: "SCCRQ", 2: "SCCRP", 3: "SCCCN", 4: "StopCCN", 6: "HELLO", 7: "OCRQ",
                 8: "OCRP", 9: "OCCN", 10: "ICRQ", 11: "ICRP", 12: "ICCN", 14: "CDN",
                 15: "WEN", 16: "SLI"}

# AVP types
AVP_MESSAGE_TYPE, AVP_RESULT_CODE, AVP_PROTOCOL_VERSION = 0, 1, 2
AVP_FRAMING_CAPS, AVP_BEARER_CAPS, AVP_FIRMWARE, AVP_HOST_NAME, AVP_VENDOR_NAME = 3, 4, 6, 7, 8
AVP_ASSIGNED_TUNNEL, AVP_RECV_WINDOW = 9, 10
AVP_ASSIGNED_SESSION, AVP_CALL_SERIAL, AVP_FRAMING_TYPE, AVP_TX_SPEED = 14, 15, 19, 24

T_BIT, L_BIT, S_BIT = 0x8000, 0x4000, 0x0800
VERSION = 2

RETRANSMIT_AFTER = 1.0
MAX_SENDS = 5


class L2tpError(Exception):
    pass


def avp(kind, value, mandatory=True):
    if isinstance(value, int):
        value = struct.pack("!H", value)
    flags = 0x8000 if mandatory else 0
    return struct.pack("!HHH", flags | (6 + len(value)), 0, kind) + value


def u16(value):
    return struct.pack("!H", value)


def u32(value):
    return struct.pack("!I", value)


def control_packet(tunnel_id, session_id, ns, nr, avps):
    body = b"".join(avps)
    return struct.pack("!HHHHHH", T_BIT | L_BIT | S_BIT | VERSION, 12 + len(body),
                       tunnel_id, session_id, ns, nr) + body


def data_packet(tunnel_id, session_id, payload):
    return struct.pack("!HHH", VERSION, tunnel_id, session_id) + payload


class Message:
    def __init__(self):
        self.control = False
        self.tunnel_id = self.session_id = 0
        self.ns = self.nr = 0
        self.avps = {}           # type -> raw value of standard (vendor 0) AVPs
        self.payload = b""

    @property
    def kind(self):
        raw = self.avps.get(AVP_MESSAGE_TYPE)
        return struct.unpack("!H", raw)[0] if raw and len(raw) == 2 else None

    @property
    def zlb(self):
        return self.control and not self.avps

    def u16(self, kind):
        raw = self.avps.get(kind)
        return struct.unpack("!H", raw)[0] if raw is not None and len(raw) == 2 else None


def parse(packet):
    if len(packet) < 6:
        raise L2tpError("short L2TP packet")
    flags = struct.unpack("!H", packet[:2])[0]
    if flags & 0x000F != VERSION:
        raise L2tpError("not L2TPv2")
    m = Message()
    m.control = bool(flags & T_BIT)
    pos = 2
    length = len(packet)
    if flags & L_BIT:
        length = struct.unpack("!H", packet[pos:pos + 2])[0]
        if length > len(packet) or length < 6:
            raise L2tpError("bad L2TP length")
        pos += 2
    if pos + 4 > length:
        raise L2tpError("short L2TP header")
    m.tunnel_id, m.session_id = struct.unpack("!HH", packet[pos:pos + 4])
    pos += 4
    if flags & S_BIT:
        if pos + 4 > length:
            raise L2tpError("short L2TP header")
        m.ns, m.nr = struct.unpack("!HH", packet[pos:pos + 4])
        pos += 4
    if flags & 0x0200:  # offset
        if pos + 2 > length:
            raise L2tpError("short L2TP header")
        pos += 2 + struct.unpack("!H", packet[pos:pos + 2])[0]
    if m.control:
        if not flags & L_BIT or not flags & S_BIT:
            raise L2tpError("control message without length or sequence")
        while pos < length:
            if pos + 6 > length:
                raise L2tpError("truncated AVP")
            head, vendor, kind = struct.unpack("!HHH", packet[pos:pos + 6])
            size = head & 0x03FF
            if size < 6 or pos + size > length:
                raise L2tpError("bad AVP length")
            if head & 0x4000:
                raise L2tpError("hidden AVPs are not supported")
            if vendor == 0:
                m.avps[kind] = packet[pos + 6:pos + size]
            pos += size
    else:
        m.payload = packet[pos:length]
    return m


def _seq_lt(a, b):
    return a != b and ((b - a) & 0xFFFF) < 0x8000


class ControlConnection:
    """Tunnel-wide sequence numbers, acknowledgements and retransmission."""

    def __init__(self, channel, log=lambda text: None):
        self.channel = channel
        self.log = log
        self.tunnel_id = secrets.randbelow(0xFFFE) + 1
        self.peer_tunnel_id = 0
        self.ns = 0
        self.nr = 0
        self.unacked = []        # [ns, packet, sends, next send time]
        self.inbox = []          # new control messages, in order
        self.data_inbox = []     # data payloads (PPP frames)
        self.closed_by_peer = None

    def send(self, session_id, avps):
        packet = control_packet(self.peer_tunnel_id, session_id, self.ns, self.nr, avps)
        self.unacked.append([self.ns, packet, 1, time.monotonic() + RETRANSMIT_AFTER])
        self.ns = (self.ns + 1) & 0xFFFF
        self.channel.send(packet)

    def send_data(self, session_id, payload):
        self.channel.send(data_packet(self.peer_tunnel_id, session_id, payload))

    def _ack(self):
        self.channel.send(control_packet(self.peer_tunnel_id, 0, self.ns, self.nr, []))

    def all_acked(self):
        return not self.unacked

    def poll(self, deadline):
        """Receive and sort at most one packet; retransmit what is due.
        Returns False once the deadline has passed."""
        now = time.monotonic()
        wake = deadline
        for entry in self.unacked:
            if entry[3] <= now:
                if entry[2] >= MAX_SENDS:
                    raise L2tpError("peer stopped acknowledging control messages")
                entry[2] += 1
                entry[3] = now + RETRANSMIT_AFTER * entry[2]
                self.channel.send(entry[1])
            wake = min(wake, entry[3])
        packet = self.channel.recv(wake)
        if packet is None:
            return time.monotonic() < deadline
        try:
            m = parse(packet)
        except L2tpError as e:
            self.log("l2tp: dropped packet: %s" % e)
            return True
        if m.tunnel_id != self.tunnel_id:
            return True
        if not m.control:
            self.data_inbox.append(m)
            return True
        self.unacked = [e for e in self.unacked if not _seq_lt(e[0], m.nr)]
        if m.zlb:
            return True
        if m.ns == self.nr:
            self.nr = (self.nr + 1) & 0xFFFF
            self.inbox.append(m)
            self.log("l2tp: got %s" % MESSAGE_NAMES.get(m.kind, m.kind))
            if m.kind == STOPCCN:
                self.closed_by_peer = "server sent StopCCN%s" % _result_text(m)
        # New, duplicate or out of window: acknowledge what we hold so far.
        self._ack()
        return True

    def take(self, kinds, session_id=None):
        for i, m in enumerate(self.inbox):
            if m.kind in kinds and (session_id is None or m.session_id == session_id):
                return self.inbox.pop(i)
        return None

    def wait_for(self, kinds, deadline, what, session_id=None):
        while True:
            m = self.take(kinds, session_id)
            if m is not None:
                return m
            if self.closed_by_peer:
                raise L2tpError(self.closed_by_peer)
            if not self.poll(deadline):
                raise L2tpError("no %s within the time limit" % what)


def _result_text(m):
    raw = m.avps.get(AVP_RESULT_CODE)
    if not raw or len(raw) < 2:
        return ""
    text = " (result %d" % struct.unpack("!H", raw[:2])[0]
    if len(raw) >= 4:
        text += ", error %d" % struct.unpack("!H", raw[2:4])[0]
    if len(raw) > 4:
        text += ": " + raw[4:].decode("utf-8", "replace")
    return text + ")"


class Tunnel:
    """One tunnel with one session, as a LAC dialling in."""

    def __init__(self, channel, log=lambda text: None):
        self.ctl = ControlConnection(channel, log)
        self.session_id = secrets.randbelow(0xFFFE) + 1
        self.peer_session_id = 0
        self.tunnel_up = False
        self.session_up = False

    def open_tunnel(self, deadline):
        self.ctl.send(0, [avp(AVP_MESSAGE_TYPE, SCCRQ), avp(AVP_PROTOCOL_VERSION, b"\x01\x00"),
                          avp(AVP_FRAMING_CAPS, u32(3)), avp(AVP_BEARER_CAPS, u32(0), False),
                          avp(AVP_HOST_NAME, b"veltrona-test"),
                          avp(AVP_VENDOR_NAME, b"Veltrona test client", False),
                          avp(AVP_ASSIGNED_TUNNEL, u16(self.ctl.tunnel_id)),
                          avp(AVP_RECV_WINDOW, u16(4))])
        reply = self.ctl.wait_for((SCCRP, STOPCCN), deadline, "SCCRP")
        if reply.kind == STOPCCN:
            raise L2tpError("server refused the tunnel" + _result_text(reply))
        peer = reply.u16(AVP_ASSIGNED_TUNNEL)
        if not peer:
            raise L2tpError("SCCRP without an Assigned Tunnel ID")
        self.ctl.peer_tunnel_id = peer
        self.ctl.send(0, [avp(AVP_MESSAGE_TYPE, SCCCN)])
        self.tunnel_up = True

    def open_session(self, deadline):
        self.ctl.send(0, [avp(AVP_MESSAGE_TYPE, ICRQ), avp(AVP_ASSIGNED_SESSION, u16(self.session_id)),
                          avp(AVP_CALL_SERIAL, u32(secrets.randbits(32)))])
        reply = self.ctl.wait_for((ICRP, CDN), deadline, "ICRP", session_id=self.session_id)
        if reply.kind == CDN:
            raise L2tpError("server refused the session" + _result_text(reply))
        peer = reply.u16(AVP_ASSIGNED_SESSION)
        if not peer:
            raise L2tpError("ICRP without an Assigned Session ID")
        self.peer_session_id = peer
        self.ctl.send(peer, [avp(AVP_MESSAGE_TYPE, ICCN), avp(AVP_TX_SPEED, u32(100000000)),
                             avp(AVP_FRAMING_TYPE, u32(1))])
        self.session_up = True

    def send_frame(self, frame):
        self.ctl.send_data(self.peer_session_id, frame)

    def next_frame(self, deadline):
        """-> a PPP frame of our session, or None at the deadline."""
        while True:
            while self.ctl.data_inbox:
                m = self.ctl.data_inbox.pop(0)
                if m.session_id == self.session_id:
                    return m.payload
            cdn = self.ctl.take((CDN,), self.session_id)
            if cdn is not None:
                self.session_up = False
                raise L2tpError("server closed the session with CDN" + _result_text(cdn))
            if self.ctl.closed_by_peer:
                raise L2tpError(self.ctl.closed_by_peer)
            if not self.ctl.poll(deadline):
                return None

    def close(self, deadline):
        """CDN for the session, StopCCN for the tunnel; wait for their acks."""
        if self.session_up:
            self.ctl.send(self.peer_session_id, [
                avp(AVP_MESSAGE_TYPE, CDN), avp(AVP_RESULT_CODE, u16(3)),
                avp(AVP_ASSIGNED_SESSION, u16(self.session_id))])
            self.session_up = False
        if self.tunnel_up and not self.ctl.closed_by_peer:
            self.ctl.send(0, [avp(AVP_MESSAGE_TYPE, STOPCCN),
                              avp(AVP_ASSIGNED_TUNNEL, u16(self.ctl.tunnel_id)),
                              avp(AVP_RESULT_CODE, u16(1))])
        self.tunnel_up = False
        while not self.ctl.all_acked():
            if not self.ctl.poll(deadline):
                return False
        return True
