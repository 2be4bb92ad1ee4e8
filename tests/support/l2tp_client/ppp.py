"""PPP over L2TP (RFC 1661): LCP, MS-CHAPv2 authentication (RFC 2759) and
IPCP with DNS addresses (RFC 1332, RFC 1877).  Frames always carry the
FF 03 address and control bytes and a two-byte protocol; we never ask for
header compression."""

import ipaddress
import secrets
import struct
import time

import mschapv2

LCP, CHAP, IPCP, IP = 0xC021, 0xC223, 0x8021, 0x0021
CONF_REQ, CONF_ACK, CONF_NAK, CONF_REJ = 1, 2, 3, 4
TERM_REQ, TERM_ACK, CODE_REJ, PROTO_REJ, ECHO_REQ, ECHO_REPLY, DISCARD_REQ = 5, 6, 7, 8, 9, 10, 11

LCP_MRU, LCP_ACCM, LCP_AUTH, LCP_MAGIC = 1, 2, 3, 5
MSCHAPV2_AUTH = struct.pack("!HB", CHAP, 0x81)
IPCP_ADDRESS, IPCP_DNS1, IPCP_DNS2 = 3, 129, 131

CHAP_CHALLENGE, CHAP_RESPONSE, CHAP_SUCCESS, CHAP_FAILURE = 1, 2, 3, 4

RETRANSMIT_AFTER = 1.0
MAX_CONFIGURE = 10
MRU = 1400


class PppFailure(Exception):
    pass


def frame(protocol, data):
    return b"\xff\x03" + struct.pack("!H", protocol) + data


def packet(code, ident, data):
    return struct.pack("!BBH", code, ident, 4 + len(data)) + data


def options_bytes(options):
    return b"".join(struct.pack("!BB", kind, 2 + len(value)) + value for kind, value in options)


def parse_options(data):
    options, pos = [], 0
    while pos < len(data):
        if pos + 2 > len(data):
            raise PppFailure("truncated option")
        kind, size = data[pos], data[pos + 1]
        if size < 2 or pos + size > len(data):
            raise PppFailure("bad option length")
        options.append((kind, data[pos + 2:pos + size]))
        pos += size
    return options


class Negotiation:
    """Our side of one option negotiation (LCP or IPCP): the Configure-Request
    we keep sending until the peer acknowledges it."""

    def __init__(self, protocol, options):
        self.protocol = protocol
        self.options = dict(options)
        self.order = [k for k, _ in options]
        self.ident = secrets.randbelow(256)
        self.sent = None
        self.sends = 0
        self.next_send = 0.0
        self.acked = False

    def request(self):
        self.ident = (self.ident + 1) & 0xFF
        opts = [(k, self.options[k]) for k in self.order if k in self.options]
        self.sent = frame(self.protocol, packet(CONF_REQ, self.ident, options_bytes(opts)))
        self.sends = 0
        self.next_send = 0.0
        self.acked = False

    def due(self, now):
        if self.acked or self.sent is None or now < self.next_send:
            return None
        if self.sends >= MAX_CONFIGURE:
            raise PppFailure("no answer to our %s Configure-Request" % ("LCP" if self.protocol == LCP else "IPCP"))
        self.sends += 1
        self.next_send = now + RETRANSMIT_AFTER
        return self.sent


class Ppp:
    def __init__(self, send, user, password, log=lambda text: None):
        self.send_raw = send
        self.user = user
        self.password = password
        self.log = log
        self.magic = secrets.randbits(32) | 1
        self.lcp = Negotiation(LCP, [(LCP_MRU, struct.pack("!H", MRU)),
                                     (LCP_MAGIC, struct.pack("!I", self.magic))])
        self.ipcp = Negotiation(IPCP, [(IPCP_ADDRESS, bytes(4)), (IPCP_DNS1, bytes(4)),
                                       (IPCP_DNS2, bytes(4))])
        self.lcp_peer_acked = False
        self.ipcp_peer_acked = False
        self.auth_protocol = None
        self.auth_ok = False
        self.auth_failure = None
        self.expected_auth_response = None
        self.peer_address = None
        self.terminated = None
        self.term_acked = False
        self.ip_inbox = []
        self.ident = secrets.randbelow(256)

    # -- state ----------------------------------------------------------------
    @property
    def lcp_open(self):
        return self.lcp.acked and self.lcp_peer_acked

    @property
    def ipcp_open(self):
        return self.ipcp.acked and self.ipcp_peer_acked

    def address(self):
        raw = self.ipcp.options.get(IPCP_ADDRESS)
        return str(ipaddress.IPv4Address(raw)) if raw else None

    def dns(self):
        return [str(ipaddress.IPv4Address(self.ipcp.options[k])) for k in (IPCP_DNS1, IPCP_DNS2)
                if k in self.ipcp.options and self.ipcp.options[k] != bytes(4)]

    # -- sending ----------------------------------------------------------------
    def _send(self, protocol, code, ident, data):
        self.send_raw(frame(protocol, packet(code, ident, data)))

    def _next_ident(self):
        self.ident = (self.ident + 1) & 0xFF
        return self.ident

    def start_lcp(self):
        self.lcp.request()

    def start_ipcp(self):
        self.ipcp.request()

    def retransmit(self):
        """Send whatever Configure-Request is due; -> the next time to wake."""
        now = time.monotonic()
        wake = now + RETRANSMIT_AFTER
        for neg in (self.lcp, self.ipcp):
            data = neg.due(now)
            if data is not None:
                self.send_raw(data)
            if not neg.acked and neg.sent is not None:
                wake = min(wake, neg.next_send)
        return wake

    def send_ip(self, datagram):
        self.send_raw(frame(IP, datagram))

    def terminate(self):
        self._send(LCP, TERM_REQ, self._next_ident(), b"bye")

    # -- receiving ------------------------------------------------------------------
    def handle(self, data):
        if len(data) >= 2 and data[:2] == b"\xff\x03":
            data = data[2:]
        if len(data) < 2:
            return
        protocol = struct.unpack("!H", data[:2])[0]
        body = data[2:]
        if protocol == IP:
            self.ip_inbox.append(body)
            return
        if protocol not in (LCP, CHAP, IPCP):
            if self.lcp_open:
                self._send(LCP, PROTO_REJ, self._next_ident(), data[:2] + body[:MRU - 8])
            return
        if len(body) < 4:
            return
        code, ident, length = struct.unpack("!BBH", body[:4])
        if length < 4 or length > len(body):
            return
        info = body[4:length]
        if protocol == LCP:
            self._lcp(code, ident, info)
        elif protocol == CHAP:
            self._chap(code, ident, info)
        else:
            self._ipcp(code, ident, info)

    def _answer_request(self, protocol, ident, options, judge):
        """judge(kind, value) -> ("ack"|"nak"|"rej", value).  Sends the reply; True when acked."""
        naks, rejects = [], []
        for kind, value in options:
            verdict, alt = judge(kind, value)
            if verdict == "rej":
                rejects.append((kind, value))
            elif verdict == "nak":
                naks.append((kind, alt))
        if rejects:
            self._send(protocol, CONF_REJ, ident, options_bytes(rejects))
            return False
        if naks:
            self._send(protocol, CONF_NAK, ident, options_bytes(naks))
            return False
        self._send(protocol, CONF_ACK, ident, options_bytes(options))
        return True

    def _adjust(self, neg, code, ident, info):
        """The peer's Ack/Nak/Reject of our request."""
        if ident != neg.ident or neg.sent is None:
            return
        options = parse_options(info)
        if code == CONF_ACK:
            neg.acked = True
            return
        for kind, value in options:
            if code == CONF_REJ:
                neg.options.pop(kind, None)
            elif kind in neg.options:
                neg.options[kind] = value
        neg.request()

    def _lcp(self, code, ident, info):
        if code == CONF_REQ:
            def judge(kind, value):
                if kind == LCP_AUTH:
                    if value == MSCHAPV2_AUTH:
                        return "ack", None
                    return "nak", MSCHAPV2_AUTH
                if kind in (LCP_MRU, LCP_ACCM, LCP_MAGIC):
                    return "ack", None
                return "rej", None
            options = parse_options(info)
            self.lcp_peer_acked = self._answer_request(LCP, ident, options, judge)
            if self.lcp_peer_acked:
                self.auth_protocol = dict(options).get(LCP_AUTH)
            self.log("ppp: peer LCP request %s -> %s" % (options, "ack" if self.lcp_peer_acked else "not acked"))
        elif code in (CONF_ACK, CONF_NAK, CONF_REJ):
            self._adjust(self.lcp, code, ident, info)
            if code == CONF_REJ and LCP_MAGIC not in self.lcp.options:
                self.magic = 0
        elif code == TERM_REQ:
            self._send(LCP, TERM_ACK, ident, b"")
            self.terminated = "server terminated the PPP link" + (
                ": " + info.decode("utf-8", "replace") if info else "")
        elif code == TERM_ACK:
            self.term_acked = True
        elif code == ECHO_REQ:
            self._send(LCP, ECHO_REPLY, ident, struct.pack("!I", self.magic) + info[4:])
        elif code == PROTO_REJ and len(info) >= 2:
            if struct.unpack("!H", info[:2])[0] in (IPCP, IP):
                self.terminated = "server rejected IPCP"
        elif code == CODE_REJ:
            self.terminated = "server rejected an LCP code"

    def _chap(self, code, ident, info):
        if code == CHAP_CHALLENGE:
            if not info or len(info) < 1 + info[0] or info[0] != 16:
                raise PppFailure("MS-CHAPv2 challenge of unexpected size")
            auth_challenge = info[1:17]
            peer_challenge = secrets.token_bytes(16)
            nt = mschapv2.nt_response(auth_challenge, peer_challenge, self.user, self.password)
            self.expected_auth_response = mschapv2.authenticator_response(
                self.password, nt, peer_challenge, auth_challenge, self.user)
            value = peer_challenge + bytes(8) + nt + b"\0"
            self._send(CHAP, CHAP_RESPONSE, ident, bytes([len(value)]) + value + self.user.encode("utf-8"))
        elif code == CHAP_SUCCESS:
            if self.expected_auth_response is None:
                return
            if mschapv2.verify_success_message(info, self.expected_auth_response):
                self.auth_ok = True
            else:
                self.auth_failure = "server's authenticator response does not match (%s)" % \
                    info.decode("latin-1")[:60]
        elif code == CHAP_FAILURE:
            self.auth_failure = info.decode("utf-8", "replace").strip() or "authentication failed"

    def _ipcp(self, code, ident, info):
        if not self.lcp_open:
            return
        if code == CONF_REQ:
            def judge(kind, value):
                return ("ack", None) if kind == IPCP_ADDRESS and len(value) == 4 else ("rej", None)
            options = parse_options(info)
            self.ipcp_peer_acked = self._answer_request(IPCP, ident, options, judge)
            if self.ipcp_peer_acked:
                raw = dict(options).get(IPCP_ADDRESS)
                self.peer_address = str(ipaddress.IPv4Address(raw)) if raw and raw != bytes(4) else None
        elif code in (CONF_ACK, CONF_NAK, CONF_REJ):
            if code == CONF_REJ and IPCP_ADDRESS in dict(parse_options(info)):
                raise PppFailure("server rejected the IP-Address option")
            self._adjust(self.ipcp, code, ident, info)
        elif code == TERM_REQ:
            self._send(IPCP, TERM_ACK, ident, b"")
            self.terminated = "server closed IPCP"
