"""IKEv1 initiator: Main Mode with a pre-shared key, forced NAT traversal,
and one Quick Mode for ESP transport protecting UDP 1701 <-> 1701."""

import hashlib
import ipaddress
import secrets
import time

import ikecrypto
import isakmp as ik
from esp import EspSa

VID_RFC3947 = hashlib.md5(b"RFC 3947").digest()
VID_DRAFT_02 = hashlib.md5(b"draft-ietf-ipsec-nat-t-ike-02").digest()
VID_DRAFT_02N = hashlib.md5(b"draft-ietf-ipsec-nat-t-ike-02\n").digest()

# Phase 1 attribute types and values (RFC 2409 appendix A)
P1_ENC, P1_HASH, P1_AUTH, P1_GROUP, P1_LIFE_TYPE, P1_LIFE, P1_KEYLEN = 1, 2, 3, 4, 11, 12, 14
ENC_AES_CBC, HASH_SHA1, AUTH_PSK, GROUP_MODP2048, LIFE_SECONDS = 7, 2, 1, 14, 1
KEY_IKE = 1
# Phase 2 (RFC 2407 section 4.5)
P2_LIFE_TYPE, P2_LIFE, P2_ENCAP, P2_AUTH, P2_KEYLEN = 1, 2, 4, 5, 6
ESP_AES = 12
AUTH_HMAC_SHA1 = 2
ENCAP_UDP_TRANSPORT = 4            # RFC 3947
ENCAP_UDP_TRANSPORT_DRAFT = 61444  # draft-ietf-ipsec-nat-t-ike
L2TP_PORT = 1701
UDP = 17

RETRANSMIT_AFTER = 1.5
MAX_SENDS = 5


class IkeFailure(Exception):
    pass


def _ip_bytes(address):
    return ipaddress.IPv4Address(address).packed


class IkeSession:
    def __init__(self, transport, psk, log=lambda text: None):
        self.t = transport
        self.psk = psk
        self.log = log
        self.icookie = secrets.token_bytes(8)
        self.rcookie = bytes(8)
        self.keys = None
        self.phase1_iv = None      # last CBC block of Main Mode, the Phase 2 IV seed
        self.rfc_natt = True
        self.inbound = None
        self.outbound = None
        self.established = False
        self._qm3 = None
        self._qm_msgid = None

    # -- message building ---------------------------------------------------
    def _plain(self, exchange, payloads, msgid=0):
        kind, body = ik.chain(payloads)
        hdr = ik.Header(self.icookie, self.rcookie, kind, exchange, 0, msgid, ik.HEADER_LEN + len(body))
        return hdr.pack() + body

    def _encrypted(self, exchange, payloads, msgid, iv, flags=0):
        kind, body = ik.chain(payloads)
        cipher = ikecrypto.encrypt(self.keys.enc_key, iv, body)
        hdr = ik.Header(self.icookie, self.rcookie, kind, exchange, ik.FLAG_ENCRYPTED | flags,
                        msgid, ik.HEADER_LEN + len(cipher))
        return hdr.pack() + cipher, cipher[-ikecrypto.BLOCK:]

    def _hashed(self, exchange, payloads, msgid, iv, prefix=b""):
        """HASH(1)-style message: prf(SKEYID_a, M-ID | [prefix] | payloads after HASH)."""
        _, rest = ik.chain(payloads)
        digest = ikecrypto.prf(self.keys.skeyid_a, msgid.to_bytes(4, "big") + prefix + rest)
        return self._encrypted(exchange, [(ik.HASH, digest)] + payloads, msgid, iv)

    def _open(self, message, iv):
        """Decrypt and split an encrypted message -> (header, payloads, raw chain, last block)."""
        hdr = ik.Header.parse(message)
        cipher = message[ik.HEADER_LEN:hdr.length]
        plain = ikecrypto.decrypt(self.keys.enc_key, iv, cipher)
        payloads = ik.unchain(hdr.next_payload, plain)
        used = sum(len(body) + 4 for _, body in payloads)
        return hdr, payloads, plain[:used], cipher[-ikecrypto.BLOCK:]

    # -- request/response with bounded retransmission --------------------------
    def _exchange(self, message, accept, deadline, what):
        sends, next_send = 0, 0.0
        while True:
            now = time.monotonic()
            if now >= next_send:
                if sends == MAX_SENDS:
                    raise IkeFailure("no answer to %s after %d sends" % (what, sends))
                self.t.send_ike(message)
                sends += 1
                next_send = now + RETRANSMIT_AFTER * sends
            got = self.t.recv(min(deadline, next_send))
            if got is None:
                if time.monotonic() >= deadline:
                    raise IkeFailure("no answer to %s within the time limit" % what)
                continue
            kind, data = got
            if kind != "ike":
                continue
            try:
                hdr = ik.Header.parse(data)
            except ik.MalformedMessage:
                continue
            if hdr.icookie != self.icookie:
                continue
            if hdr.exchange == ik.INFORMATIONAL:
                self._informational_during_setup(hdr, data)
                continue
            try:
                result = accept(hdr, data)
            except ik.MalformedMessage as e:
                self.log("ike: dropped malformed message: %s" % e)
                continue
            if result is not None:
                return result

    def _informational_during_setup(self, hdr, data):
        if hdr.flags & ik.FLAG_ENCRYPTED:
            if self.keys is None or self.phase1_iv is None:
                return
            try:
                _, payloads, _, _ = self._open(data, ikecrypto.phase2_iv(self.phase1_iv, hdr.msgid))
            except (ValueError, ik.MalformedMessage):
                return
            if self._answer_dpd(payloads):
                return
        else:
            try:
                payloads = ik.unchain(hdr.next_payload, data[ik.HEADER_LEN:hdr.length])
            except ik.MalformedMessage:
                return
        for body in ik.every(payloads, ik.NOTIFY):
            try:
                _, kind, _, _ = ik.parse_notify(body)
            except ik.MalformedMessage:
                continue
            if kind < 16384:  # error notifications
                raise IkeFailure("server sent %s" % ik.notify_name(kind))
        if ik.every(payloads, ik.DELETE):
            raise IkeFailure("server deleted the security association")

    # -- Main Mode ---------------------------------------------------------------
    def main_mode(self, deadline):
        attrs = [ik.attribute(P1_ENC, ENC_AES_CBC), ik.attribute(P1_KEYLEN, 128),
                 ik.attribute(P1_HASH, HASH_SHA1), ik.attribute(P1_AUTH, AUTH_PSK),
                 ik.attribute(P1_GROUP, GROUP_MODP2048), ik.attribute(P1_LIFE_TYPE, LIFE_SECONDS),
                 ik.attribute(P1_LIFE, 28800)]
        sa_body = ik.sa_payload([(1, ik.PROTO_ISAKMP, b"", [(KEY_IKE, attrs)])])
        mm1 = self._plain(ik.MAIN_MODE, [(ik.SA, sa_body), (ik.VENDOR_ID, VID_RFC3947),
                                         (ik.VENDOR_ID, VID_DRAFT_02N), (ik.VENDOR_ID, VID_DRAFT_02)])

        def accept_mm2(hdr, data):
            if hdr.exchange != ik.MAIN_MODE or hdr.flags & ik.FLAG_ENCRYPTED:
                return None
            payloads = ik.unchain(hdr.next_payload, data[ik.HEADER_LEN:hdr.length])
            if ik.first(payloads, ik.SA) is None:
                return None
            return hdr, payloads

        hdr, payloads = self._exchange(mm1, accept_mm2, deadline, "the SA proposal")
        self.rcookie = hdr.rcookie
        try:
            self._check_p1_choice(ik.parse_sa(ik.first(payloads, ik.SA)))
        except ik.MalformedMessage as e:
            raise IkeFailure("malformed SA in the server's answer: %s" % e)
        vids = ik.every(payloads, ik.VENDOR_ID)
        if VID_RFC3947 in vids:
            self.rfc_natt = True
        elif VID_DRAFT_02N in vids or VID_DRAFT_02 in vids:
            self.rfc_natt = False
        else:
            raise IkeFailure("server does not support NAT traversal")
        self.log("ike: SA accepted, NAT-T %s" % ("RFC 3947" if self.rfc_natt else "draft-02"))

        dh = ikecrypto.DiffieHellman()
        ni = secrets.token_bytes(32)
        nat_d = ik.NAT_D if self.rfc_natt else ik.NAT_D_DRAFT
        server_hash = ikecrypto.nat_d_hash(self.icookie, self.rcookie, _ip_bytes(self.t.server), 500)
        # A hash that cannot match our own address makes the server see us
        # behind NAT, so both ends move to UDP encapsulation on port 4500.
        own_hash = hashlib.sha1(secrets.token_bytes(32)).digest()
        mm3 = self._plain(ik.MAIN_MODE, [(ik.KE, dh.public), (ik.NONCE, ni),
                                         (nat_d, server_hash), (nat_d, own_hash)])

        def accept_mm4(hdr, data):
            if hdr.exchange != ik.MAIN_MODE or hdr.flags & ik.FLAG_ENCRYPTED:
                return None
            payloads = ik.unchain(hdr.next_payload, data[ik.HEADER_LEN:hdr.length])
            if ik.first(payloads, ik.KE) is None or ik.first(payloads, ik.NONCE) is None:
                return None
            return payloads

        payloads = self._exchange(mm3, accept_mm4, deadline, "the key exchange")
        gxr, nr = ik.first(payloads, ik.KE), ik.first(payloads, ik.NONCE)
        try:
            gxy = dh.shared(gxr)
        except ValueError as e:
            raise IkeFailure(str(e))
        self.keys = ikecrypto.Phase1Keys(self.psk, ni, nr, gxy, self.icookie, self.rcookie)
        self.t.nat_t = True

        id_body = ik.id_ipv4(_ip_bytes(self.t.local_ip), UDP, 500)
        hash_i = ikecrypto.prf(self.keys.skeyid, dh.public + gxr + self.icookie + self.rcookie + sa_body + id_body)
        contact = ik.notify(ik.PROTO_ISAKMP, ik.NOTIFY_INITIAL_CONTACT, self.icookie + self.rcookie)
        mm5, last_block = self._encrypted(ik.MAIN_MODE, [(ik.ID, id_body), (ik.HASH, hash_i),
                                                         (ik.NOTIFY, contact)], 0,
                                          ikecrypto.initial_iv(dh.public, gxr))

        def accept_mm6(hdr, data):
            if hdr.exchange != ik.MAIN_MODE or not hdr.flags & ik.FLAG_ENCRYPTED:
                return None
            try:
                _, payloads, _, block = self._open(data, last_block)
            except (ValueError, ik.MalformedMessage):
                return None
            id_r, hash_r = ik.first(payloads, ik.ID), ik.first(payloads, ik.HASH)
            if id_r is None or hash_r is None:
                return None
            expected = ikecrypto.prf(self.keys.skeyid, gxr + dh.public + self.rcookie + self.icookie + sa_body + id_r)
            if hash_r != expected:
                raise IkeFailure("server's identity hash does not match (wrong pre-shared key?)")
            return block

        try:
            self.phase1_iv = self._exchange(mm5, accept_mm6, deadline, "the encrypted identity message")
        except IkeFailure as e:
            raise IkeFailure("%s; a wrong pre-shared key looks like this" % e)
        self.log("ike: main mode established")

    def _check_p1_choice(self, proposals):
        for protocol, _, transforms in proposals:
            for tid, attrs in transforms:
                values = dict(attrs)
                if (protocol == ik.PROTO_ISAKMP and values.get(P1_ENC) == ENC_AES_CBC
                        and values.get(P1_HASH) == HASH_SHA1 and values.get(P1_AUTH) == AUTH_PSK
                        and values.get(P1_GROUP) == GROUP_MODP2048
                        and values.get(P1_KEYLEN, 128) == 128):
                    return
        raise IkeFailure("server chose a suite we did not offer: %r" % (proposals,))

    # -- Quick Mode -----------------------------------------------------------------
    def quick_mode(self, deadline):
        msgid = secrets.randbelow(0xFFFFFFFE) + 1
        spi_in = (secrets.randbelow(0xFFFFF000) + 0x1000).to_bytes(4, "big")
        encap = ENCAP_UDP_TRANSPORT if self.rfc_natt else ENCAP_UDP_TRANSPORT_DRAFT
        attrs = [ik.attribute(P2_LIFE_TYPE, LIFE_SECONDS), ik.attribute(P2_LIFE, 3600),
                 ik.attribute(P2_ENCAP, encap), ik.attribute(P2_AUTH, AUTH_HMAC_SHA1),
                 ik.attribute(P2_KEYLEN, 128)]
        sa_body = ik.sa_payload([(1, ik.PROTO_ESP, spi_in, [(ESP_AES, attrs)])])
        ni = secrets.token_bytes(32)
        local, server = _ip_bytes(self.t.local_ip), _ip_bytes(self.t.server)
        payloads = [(ik.SA, sa_body), (ik.NONCE, ni),
                    (ik.ID, ik.id_ipv4(local, UDP, L2TP_PORT)),
                    (ik.ID, ik.id_ipv4(server, UDP, L2TP_PORT))]
        if self.rfc_natt:
            payloads += [(ik.NAT_OA, ik.nat_oa_ipv4(local)), (ik.NAT_OA, ik.nat_oa_ipv4(server))]
        else:
            payloads += [(ik.NAT_OA_DRAFT, ik.nat_oa_ipv4(local))]
        qm1, last_block = self._hashed(ik.QUICK_MODE, payloads, msgid,
                                       ikecrypto.phase2_iv(self.phase1_iv, msgid))

        def accept_qm2(hdr, data):
            if hdr.exchange != ik.QUICK_MODE or hdr.msgid != msgid or not hdr.flags & ik.FLAG_ENCRYPTED:
                return None
            try:
                _, got, raw, block = self._open(data, last_block)
            except (ValueError, ik.MalformedMessage):
                return None
            if not got or got[0][0] != ik.HASH:
                return None
            after_hash = raw[len(got[0][1]) + 4:]
            expected = ikecrypto.prf(self.keys.skeyid_a, msgid.to_bytes(4, "big") + ni + after_hash)
            if got[0][1] != expected:
                raise IkeFailure("quick mode reply carries a wrong HASH(2)")
            return got, block

        got, block = self._exchange(qm1, accept_qm2, deadline, "the quick mode proposal")
        nr = ik.first(got, ik.NONCE)
        sa_reply = ik.first(got, ik.SA)
        if nr is None or sa_reply is None:
            raise IkeFailure("quick mode reply lacks SA or nonce")
        try:
            spi_out, chosen = self._check_p2_choice(ik.parse_sa(sa_reply))
        except ik.MalformedMessage as e:
            raise IkeFailure("malformed SA in the quick mode reply: %s" % e)
        self.log("ike: quick mode transform %r" % (chosen,))

        hash3 = ikecrypto.prf(self.keys.skeyid_a, b"\0" + msgid.to_bytes(4, "big") + ni + nr)
        qm3, _ = self._encrypted(ik.QUICK_MODE, [(ik.HASH, hash3)], msgid, block)
        self.t.send_ike(qm3)

        in_km = ikecrypto.keymat(self.keys.skeyid_d, ik.PROTO_ESP, spi_in, ni, nr, 36)
        out_km = ikecrypto.keymat(self.keys.skeyid_d, ik.PROTO_ESP, spi_out, ni, nr, 36)
        self.inbound = EspSa(spi_in, in_km[:16], in_km[16:])
        self.outbound = EspSa(spi_out, out_km[:16], out_km[16:])
        self.established = True
        self._qm3 = qm3
        self._qm_msgid = msgid
        return self.inbound, self.outbound

    def _check_p2_choice(self, proposals):
        for protocol, spi, transforms in proposals:
            if protocol != ik.PROTO_ESP or len(spi) != 4:
                continue
            for tid, attrs in transforms:
                values = dict(attrs)
                if (tid == ESP_AES and values.get(P2_AUTH) == AUTH_HMAC_SHA1
                        and values.get(P2_KEYLEN) == 128
                        and values.get(P2_ENCAP) in (ENCAP_UDP_TRANSPORT, ENCAP_UDP_TRANSPORT_DRAFT)):
                    return spi, values
        raise IkeFailure("server chose an ESP transform we did not offer: %r" % (proposals,))

    # -- after set-up ------------------------------------------------------------------
    def handle(self, data):
        """An IKE message that arrived while the tunnel is up.  Answers
        dead-peer-detection probes and retransmitted QM2s; returns a text
        when the server deleted our SAs, else None."""
        try:
            hdr = ik.Header.parse(data)
        except ik.MalformedMessage:
            return None
        if hdr.icookie != self.icookie or self.keys is None:
            return None
        if hdr.exchange == ik.QUICK_MODE and hdr.msgid == self._qm_msgid and self._qm3:
            self.t.send_ike(self._qm3)  # our QM3 was lost; the server repeats QM2
            return None
        if hdr.exchange != ik.INFORMATIONAL or not hdr.flags & ik.FLAG_ENCRYPTED:
            return None
        try:
            _, payloads, raw, _ = self._open(data, ikecrypto.phase2_iv(self.phase1_iv, hdr.msgid))
        except (ValueError, ik.MalformedMessage):
            return None
        if not payloads or payloads[0][0] != ik.HASH:
            return None
        after_hash = raw[len(payloads[0][1]) + 4:]
        if payloads[0][1] != ikecrypto.prf(self.keys.skeyid_a, hdr.msgid.to_bytes(4, "big") + after_hash):
            return None
        if self._answer_dpd(payloads):
            return None
        for body in ik.every(payloads, ik.DELETE):
            try:
                protocol, spis = ik.parse_delete(body)
            except ik.MalformedMessage:
                continue
            if protocol == ik.PROTO_ISAKMP or (self.inbound and self.inbound.spi in spis) or \
                    (self.outbound and self.outbound.spi in spis):
                return "server deleted the %s SA" % ("IKE" if protocol == ik.PROTO_ISAKMP else "ESP")
        return None

    def _answer_dpd(self, payloads):
        for body in ik.every(payloads, ik.NOTIFY):
            try:
                _, kind, spi, data = ik.parse_notify(body)
            except ik.MalformedMessage:
                continue
            if kind == ik.NOTIFY_R_U_THERE:
                ack = ik.notify(ik.PROTO_ISAKMP, ik.NOTIFY_R_U_THERE_ACK, spi, data)
                self._informational([(ik.NOTIFY, ack)])
                return True
        return False

    def _informational(self, payloads):
        msgid = secrets.randbelow(0xFFFFFFFE) + 1
        msg, _ = self._hashed(ik.INFORMATIONAL, payloads, msgid, ikecrypto.phase2_iv(self.phase1_iv, msgid))
        self.t.send_ike(msg)

    def delete_all(self):
        """Delete the ESP pair, then the IKE SA.  IKEv1 deletes are not
        acknowledged, so each is sent twice in case one is lost."""
        if self.keys is None or self.phase1_iv is None:
            return
        for _ in range(2):
            if self.inbound is not None:
                self._informational([(ik.DELETE, ik.delete(ik.PROTO_ESP, [self.inbound.spi, self.outbound.spi]))])
            self._informational([(ik.DELETE, ik.delete(ik.PROTO_ISAKMP, [self.icookie + self.rcookie]))])
