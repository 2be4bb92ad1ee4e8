"""ISAKMP message and payload encoding (RFC 2408, IPsec DOI of RFC 2407,
NAT-T payloads of RFC 3947)."""

import struct

# Exchange types
MAIN_MODE = 2
INFORMATIONAL = 5
QUICK_MODE = 32

# Payload types
SA, PROPOSAL, TRANSFORM, KE, ID, CERT, CERTREQ, HASH, SIG, NONCE, NOTIFY, DELETE, VENDOR_ID = range(1, 14)
NAT_D = 20
NAT_OA = 21
NAT_D_DRAFT = 130
NAT_OA_DRAFT = 131

FLAG_ENCRYPTED = 1
FLAG_COMMIT = 2

PROTO_ISAKMP = 1
PROTO_ESP = 3

DOI_IPSEC = 1
SIT_IDENTITY_ONLY = 1

ID_IPV4_ADDR = 1

HEADER_LEN = 28

NOTIFY_NAMES = {
    1: "INVALID-PAYLOAD-TYPE", 4: "INVALID-COOKIE", 14: "NO-PROPOSAL-CHOSEN",
    16: "PAYLOAD-MALFORMED", 18: "INVALID-ID-INFORMATION", 23: "INVALID-HASH-INFORMATION",
    24: "AUTHENTICATION-FAILED", 11: "INVALID-SPI", 24576: "RESPONDER-LIFETIME",
    24578: "INITIAL-CONTACT", 36136: "R-U-THERE", 36137: "R-U-THERE-ACK",
}
NOTIFY_INITIAL_CONTACT = 24578
NOTIFY_R_U_THERE = 36136
NOTIFY_R_U_THERE_ACK = 36137


class MalformedMessage(ValueError):
    pass


class Header:
    def __init__(self, icookie, rcookie, next_payload, exchange, flags, msgid, length):
        self.icookie = icookie
        self.rcookie = rcookie
        self.next_payload = next_payload
        self.exchange = exchange
        self.flags = flags
        self.msgid = msgid
        self.length = length

    @classmethod
    def parse(cls, data):
        if len(data) < HEADER_LEN:
            raise MalformedMessage("short ISAKMP header")
        ic, rc, np, ver, ex, fl, mid, ln = struct.unpack("!8s8sBBBBII", data[:HEADER_LEN])
        if ver >> 4 != 1:
            raise MalformedMessage("not ISAKMP version 1")
        if ln < HEADER_LEN or ln > len(data):
            raise MalformedMessage("bad ISAKMP length %d for %d bytes" % (ln, len(data)))
        return cls(ic, rc, np, ex, fl, mid, ln)

    def pack(self):
        return struct.pack("!8s8sBBBBII", self.icookie, self.rcookie, self.next_payload, 0x10,
                           self.exchange, self.flags, self.msgid, self.length)


def chain(payloads):
    """[(type, body)] -> (first type, bytes) with generic headers linked."""
    out = b""
    for i, (_, body) in enumerate(payloads):
        nxt = payloads[i + 1][0] if i + 1 < len(payloads) else 0
        out += struct.pack("!BBH", nxt, 0, len(body) + 4) + body
    return (payloads[0][0] if payloads else 0), out


def unchain(first, data):
    """Walk a payload chain; bytes after the last payload (padding) are ignored."""
    payloads = []
    kind, pos = first, 0
    while kind != 0:
        if pos + 4 > len(data):
            raise MalformedMessage("payload header past the end")
        nxt, _, length = struct.unpack("!BBH", data[pos:pos + 4])
        if length < 4 or pos + length > len(data):
            raise MalformedMessage("payload length %d out of bounds" % length)
        payloads.append((kind, data[pos + 4:pos + length]))
        kind, pos = nxt, pos + length
        if len(payloads) > 64:
            raise MalformedMessage("too many payloads")
    return payloads


def first(payloads, kind):
    for k, body in payloads:
        if k == kind:
            return body
    return None


def every(payloads, kind):
    return [body for k, body in payloads if k == kind]


# -- SA payloads -------------------------------------------------------------

def attribute(kind, value):
    if 0 <= value < 0x10000:
        return struct.pack("!HH", 0x8000 | kind, value)
    raw = value.to_bytes((value.bit_length() + 7) // 8, "big")
    return struct.pack("!HH", kind, len(raw)) + raw


def parse_attributes(data):
    """-> list of (type, int value)."""
    attrs, pos = [], 0
    while pos + 4 <= len(data):
        kind, val = struct.unpack("!HH", data[pos:pos + 4])
        pos += 4
        if kind & 0x8000:
            attrs.append((kind & 0x7FFF, val))
        else:
            if pos + val > len(data):
                raise MalformedMessage("attribute past the end")
            attrs.append((kind, int.from_bytes(data[pos:pos + val], "big")))
            pos += val
    return attrs


def sa_payload(proposals):
    """proposals: [(number, protocol, spi, [(transform id, [attr bytes])])]."""
    body = struct.pack("!II", DOI_IPSEC, SIT_IDENTITY_ONLY)
    props = []
    for number, protocol, spi, transforms in proposals:
        trs = [(TRANSFORM, struct.pack("!BBH", i + 1, tid, 0) + b"".join(attrs))
               for i, (tid, attrs) in enumerate(transforms)]
        _, tr_bytes = chain(trs)
        props.append((PROPOSAL, struct.pack("!BBBB", number, protocol, len(spi), len(trs)) + spi + tr_bytes))
    _, prop_bytes = chain(props)
    return body + prop_bytes


def parse_sa(body):
    """-> [(protocol, spi, [(transform id, attrs)])] of every proposal."""
    if len(body) < 8:
        raise MalformedMessage("short SA payload")
    doi, _ = struct.unpack("!II", body[:8])
    if doi != DOI_IPSEC:
        raise MalformedMessage("SA for DOI %d" % doi)
    result = []
    for _, prop in unchain(PROPOSAL, body[8:]):
        if len(prop) < 4:
            raise MalformedMessage("short proposal")
        _, protocol, spi_len, count = struct.unpack("!BBBB", prop[:4])
        spi = prop[4:4 + spi_len]
        transforms = []
        for _, tr in unchain(TRANSFORM if count else 0, prop[4 + spi_len:]):
            if len(tr) < 4:
                raise MalformedMessage("short transform")
            transforms.append((tr[1], parse_attributes(tr[4:])))
        result.append((protocol, spi, transforms))
    return result


# -- other payload bodies -------------------------------------------------------

def id_ipv4(address, protocol=0, port=0):
    return struct.pack("!BBH", ID_IPV4_ADDR, protocol, port) + bytes(address)


def nat_oa_ipv4(address):
    return struct.pack("!BBH", ID_IPV4_ADDR, 0, 0) + bytes(address)


def notify(protocol, kind, spi=b"", data=b""):
    return struct.pack("!IBBH", DOI_IPSEC, protocol, len(spi), kind) + spi + data


def parse_notify(body):
    if len(body) < 8:
        raise MalformedMessage("short notification")
    _, protocol, spi_len, kind = struct.unpack("!IBBH", body[:8])
    return protocol, kind, body[8:8 + spi_len], body[8 + spi_len:]


def delete(protocol, spis):
    size = len(spis[0]) if spis else 0
    return struct.pack("!IBBH", DOI_IPSEC, protocol, size, len(spis)) + b"".join(spis)


def parse_delete(body):
    if len(body) < 8:
        raise MalformedMessage("short delete payload")
    _, protocol, size, count = struct.unpack("!IBBH", body[:8])
    spis = [body[8 + i * size:8 + (i + 1) * size] for i in range(count)]
    return protocol, spis


def notify_name(kind):
    return NOTIFY_NAMES.get(kind, "notification %d" % kind)
