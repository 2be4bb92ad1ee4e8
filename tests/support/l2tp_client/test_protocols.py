"""Protocol pieces checked without a server: encodings, integrity checks,
retransmission and option negotiation."""

import os
import struct
import sys
import time
import unittest

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import esp  # noqa: E402
import ikecrypto  # noqa: E402
import ipv4  # noqa: E402
import isakmp as ik  # noqa: E402
import l2tp  # noqa: E402
import mschapv2  # noqa: E402
import ppp  # noqa: E402


class IsakmpCodecTest(unittest.TestCase):
    def test_payload_chain_round_trip_ignores_padding(self):
        kind, data = ik.chain([(ik.SA, b"abc"), (ik.NONCE, b"n" * 20), (ik.VENDOR_ID, b"")])
        self.assertEqual(kind, ik.SA)
        back = ik.unchain(kind, data + bytes(7))
        self.assertEqual(back, [(ik.SA, b"abc"), (ik.NONCE, b"n" * 20), (ik.VENDOR_ID, b"")])

    def test_lengths_out_of_bounds_are_rejected(self):
        _, data = ik.chain([(ik.NONCE, b"x" * 8)])
        with self.assertRaises(ik.MalformedMessage):
            ik.unchain(ik.NONCE, data[:-1])
        with self.assertRaises(ik.MalformedMessage):
            ik.unchain(ik.NONCE, data[:2] + b"\x00\x03" + data[4:])
        with self.assertRaises(ik.MalformedMessage):
            ik.Header.parse(bytes(20))

    def test_attributes_short_and_long_forms(self):
        self.assertEqual(ik.attribute(4, 14), b"\x80\x04\x00\x0e")
        long_form = ik.attribute(12, 86400)
        self.assertEqual(long_form, b"\x00\x0c\x00\x03\x01\x51\x80")
        self.assertEqual(ik.parse_attributes(ik.attribute(4, 14) + long_form), [(4, 14), (12, 86400)])

    def test_sa_payload_parses_back(self):
        attrs = [ik.attribute(4, 4), ik.attribute(5, 2), ik.attribute(6, 128)]
        body = ik.sa_payload([(1, ik.PROTO_ESP, b"\x01\x02\x03\x04", [(12, attrs)])])
        self.assertEqual(ik.parse_sa(body), [(ik.PROTO_ESP, b"\x01\x02\x03\x04", [(12, [(4, 4), (5, 2), (6, 128)])])])

    def test_notify_and_delete_bodies(self):
        cookies = bytes(range(16))
        proto, kind, spi, data = ik.parse_notify(ik.notify(ik.PROTO_ISAKMP, ik.NOTIFY_R_U_THERE, cookies, b"\0\0\0\7"))
        self.assertEqual((proto, kind, spi, data), (ik.PROTO_ISAKMP, 36136, cookies, b"\0\0\0\7"))
        self.assertEqual(ik.parse_delete(ik.delete(ik.PROTO_ESP, [b"aaaa", b"bbbb"])),
                         (ik.PROTO_ESP, [b"aaaa", b"bbbb"]))


class IkeCryptoTest(unittest.TestCase):
    def test_diffie_hellman_agrees_and_checks_range(self):
        a, b = ikecrypto.DiffieHellman(), ikecrypto.DiffieHellman()
        self.assertEqual(len(a.public), 256)
        self.assertEqual(a.shared(b.public), b.shared(a.public))
        for bad in (b"\x01", (ikecrypto.MODP2048_P - 1).to_bytes(256, "big"), bytes(256)):
            with self.assertRaises(ValueError):
                a.shared(bad)

    def test_keymat_chains_blocks(self):
        d, spi, ni, nr = b"d" * 20, b"\x11\x22\x33\x44", b"i" * 16, b"r" * 16
        k1 = ikecrypto.prf(d, b"\x03" + spi + ni + nr)
        k2 = ikecrypto.prf(d, k1 + b"\x03" + spi + ni + nr)
        self.assertEqual(ikecrypto.keymat(d, 3, spi, ni, nr, 36), (k1 + k2)[:36])

    def test_phase1_encryption_round_trip(self):
        key, iv = b"k" * 16, b"v" * 16
        cipher = ikecrypto.encrypt(key, iv, b"hello")
        self.assertEqual(len(cipher), 16)
        self.assertEqual(ikecrypto.decrypt(key, iv, cipher), b"hello" + bytes(11))
        with self.assertRaises(ValueError):
            ikecrypto.decrypt(key, iv, cipher[:-1])


class EspTest(unittest.TestCase):
    def pair(self):
        return (esp.EspSa(b"\0\0\1\0", b"e" * 16, b"a" * 20),
                esp.EspSa(b"\0\0\1\0", b"e" * 16, b"a" * 20))

    def test_round_trip_and_layout(self):
        tx, rx = self.pair()
        for size in (0, 1, 13, 14, 15, 16, 100):
            packet = tx.seal(17, b"x" * size)
            self.assertEqual((len(packet) - 8 - 16 - 12) % 16, 0)
            self.assertEqual(rx.open(packet), (17, b"x" * size))
        self.assertEqual(struct.unpack("!I", packet[4:8])[0], 7)

    def test_tampering_replay_and_wrong_spi_are_refused(self):
        tx, rx = self.pair()
        packet = tx.seal(17, b"payload")
        for i in (5, 10, 30, len(packet) - 1):
            bad = bytearray(packet)
            bad[i] ^= 1
            with self.assertRaises(esp.EspError):
                rx.open(bytes(bad))
        rx.open(packet)
        with self.assertRaises(esp.EspError):
            rx.open(packet)
        other = esp.EspSa(b"\0\0\2\0", b"e" * 16, b"a" * 20)
        with self.assertRaises(esp.EspError):
            other.open(tx.seal(17, b"x"))

    def test_replay_window_accepts_late_but_not_ancient(self):
        tx, rx = self.pair()
        packets = [tx.seal(17, b"%d" % i) for i in range(70)]
        rx.open(packets[69])
        rx.open(packets[10])          # inside the window
        with self.assertRaises(esp.EspError):
            rx.open(packets[2])       # 67 behind the highest: outside the window


class FakeChannel:
    def __init__(self):
        self.sent = []
        self.incoming = []

    def send(self, packet):
        self.sent.append(packet)

    def recv(self, deadline):
        if self.incoming:
            return self.incoming.pop(0)
        time.sleep(max(0.0, min(deadline - time.monotonic(), 0.05)))
        return None


class L2tpTest(unittest.TestCase):
    def test_control_packet_parses_back(self):
        raw = l2tp.control_packet(7, 9, 3, 4, [l2tp.avp(l2tp.AVP_MESSAGE_TYPE, l2tp.SCCRP),
                                               l2tp.avp(l2tp.AVP_ASSIGNED_TUNNEL, l2tp.u16(77))])
        m = l2tp.parse(raw)
        self.assertTrue(m.control)
        self.assertEqual((m.tunnel_id, m.session_id, m.ns, m.nr), (7, 9, 3, 4))
        self.assertEqual((m.kind, m.u16(l2tp.AVP_ASSIGNED_TUNNEL)), (l2tp.SCCRP, 77))

    def test_bad_packets_are_refused(self):
        good = l2tp.control_packet(1, 0, 0, 0, [l2tp.avp(0, 1)])
        hidden = good[:12] + bytes([good[12] | 0x40]) + good[13:]
        for bad in (good[:5], good[:-1], hidden, b"\xc8\x03" + good[2:]):
            with self.assertRaises(l2tp.L2tpError):
                l2tp.parse(bad)

    def test_data_packet_without_length(self):
        m = l2tp.parse(l2tp.data_packet(5, 6, b"\xff\x03\xc0\x21"))
        self.assertFalse(m.control)
        self.assertEqual((m.tunnel_id, m.session_id, m.payload), (5, 6, b"\xff\x03\xc0\x21"))

    def test_retransmits_until_acknowledged_then_gives_up(self):
        ch = FakeChannel()
        ctl = l2tp.ControlConnection(ch)
        ctl.send(0, [l2tp.avp(l2tp.AVP_MESSAGE_TYPE, l2tp.SCCRQ)])
        ctl.unacked[0][3] = 0           # due now
        ctl.poll(time.monotonic() + 0.01)
        self.assertEqual(len(ch.sent), 2)
        self.assertEqual(ch.sent[0], ch.sent[1])
        ctl.unacked[0][2] = l2tp.MAX_SENDS
        ctl.unacked[0][3] = 0
        with self.assertRaises(l2tp.L2tpError):
            ctl.poll(time.monotonic() + 0.01)

    def test_ack_clears_queue_and_new_message_is_acknowledged(self):
        ch = FakeChannel()
        ctl = l2tp.ControlConnection(ch)
        ctl.send(0, [l2tp.avp(l2tp.AVP_MESSAGE_TYPE, l2tp.SCCRQ)])
        reply = l2tp.control_packet(ctl.tunnel_id, 0, 0, 1, [l2tp.avp(l2tp.AVP_MESSAGE_TYPE, l2tp.SCCRP)])
        ch.incoming = [reply, reply]    # the second copy is a retransmission
        ctl.poll(time.monotonic() + 0.1)
        ctl.poll(time.monotonic() + 0.1)
        self.assertTrue(ctl.all_acked())
        self.assertEqual([m.kind for m in ctl.inbox], [l2tp.SCCRP])
        acks = [l2tp.parse(p) for p in ch.sent[1:]]
        self.assertEqual(len(acks), 2)
        self.assertTrue(all(a.zlb and a.nr == 1 and a.ns == 1 for a in acks))

    def test_packets_for_other_tunnels_are_ignored(self):
        ch = FakeChannel()
        ctl = l2tp.ControlConnection(ch)
        ch.incoming = [l2tp.control_packet((ctl.tunnel_id + 1) & 0xFFFF or 1, 0, 0, 0,
                                           [l2tp.avp(l2tp.AVP_MESSAGE_TYPE, l2tp.STOPCCN)])]
        ctl.poll(time.monotonic() + 0.1)
        self.assertEqual(ctl.inbox, [])
        self.assertIsNone(ctl.closed_by_peer)


def lcp(code, ident, data=b"", protocol=ppp.LCP):
    return ppp.frame(protocol, ppp.packet(code, ident, data))


class PppTest(unittest.TestCase):
    def setUp(self):
        self.sent = []
        self.p = ppp.Ppp(self.sent.append, "User", "clientPass")

    def last(self):
        frame = self.sent[-1]
        protocol = struct.unpack("!H", frame[2:4])[0]
        code, ident, length = struct.unpack("!BBH", frame[4:8])
        return protocol, code, ident, ppp.parse_options(frame[8:4 + length]) if code <= 4 else frame[8:]

    def test_eap_is_answered_with_mschapv2_and_mschapv2_acked(self):
        eap = ppp.options_bytes([(ppp.LCP_AUTH, b"\xc2\x27")])
        self.p.handle(lcp(ppp.CONF_REQ, 1, eap))
        self.assertEqual(self.last(), (ppp.LCP, ppp.CONF_NAK, 1, [(ppp.LCP_AUTH, ppp.MSCHAPV2_AUTH)]))
        self.assertFalse(self.p.lcp_peer_acked)
        self.p.handle(lcp(ppp.CONF_REQ, 2, ppp.options_bytes([(ppp.LCP_AUTH, ppp.MSCHAPV2_AUTH)])))
        self.assertEqual(self.last()[:3], (ppp.LCP, ppp.CONF_ACK, 2))
        self.assertTrue(self.p.lcp_peer_acked)

    def test_unknown_peer_option_is_rejected_alone(self):
        self.p.handle(lcp(ppp.CONF_REQ, 3, ppp.options_bytes([(ppp.LCP_MRU, b"\x05\xdc"), (7, b"")])))
        self.assertEqual(self.last(), (ppp.LCP, ppp.CONF_REJ, 3, [(7, b"")]))

    def test_our_request_follows_reject_and_ack(self):
        self.p.start_lcp()
        self.p.retransmit()
        proto, code, ident, options = self.last()
        self.assertEqual([k for k, _ in options], [ppp.LCP_MRU, ppp.LCP_MAGIC])
        self.p.handle(lcp(ppp.CONF_REJ, ident, ppp.options_bytes([options[1]])))
        self.p.retransmit()
        _, code, ident2, options2 = self.last()
        self.assertEqual((code, [k for k, _ in options2]), (ppp.CONF_REQ, [ppp.LCP_MRU]))
        self.assertNotEqual(ident2, ident)
        self.p.handle(lcp(ppp.CONF_ACK, ident, ppp.options_bytes(options2)))   # stale id
        self.assertFalse(self.p.lcp.acked)
        self.p.handle(lcp(ppp.CONF_ACK, ident2, ppp.options_bytes(options2)))
        self.assertTrue(self.p.lcp.acked)

    def test_echo_request_answered_with_our_magic(self):
        self.p.handle(lcp(ppp.ECHO_REQ, 9, b"\x12\x34\x56\x78data"))
        frame = self.sent[-1]
        self.assertEqual(frame[4:6], bytes([ppp.ECHO_REPLY, 9]))
        self.assertEqual(frame[8:], struct.pack("!I", self.p.magic) + b"data")

    def test_chap_response_and_server_proof(self):
        challenge = bytes(range(16))
        self.p.handle(lcp(ppp.CHAP_CHALLENGE, 5, b"\x10" + challenge + b"srv", ppp.CHAP))
        frame = self.sent[-1]
        self.assertEqual(frame[2:6], b"\xc2\x23\x02\x05")
        value = frame[9:9 + 49]
        self.assertEqual(frame[8], 49)
        self.assertEqual(frame[9 + 49:], b"User")
        peer = value[:16]
        self.assertEqual(value[16:24], bytes(8))
        self.assertEqual(value[24:48], mschapv2.nt_response(challenge, peer, "User", "clientPass"))
        self.p.handle(lcp(ppp.CHAP_SUCCESS, 5, b"S=" + b"0" * 40, ppp.CHAP))
        self.assertFalse(self.p.auth_ok)
        self.assertIn("does not match", self.p.auth_failure)
        good = mschapv2.authenticator_response("clientPass", value[24:48], peer, challenge, "User")
        self.p.auth_failure = None
        self.p.handle(lcp(ppp.CHAP_SUCCESS, 5, good.encode() + b" M=hi", ppp.CHAP))
        self.assertTrue(self.p.auth_ok)

    def test_chap_failure_text_kept(self):
        self.p.handle(lcp(ppp.CHAP_CHALLENGE, 5, b"\x10" + bytes(16), ppp.CHAP))
        self.p.handle(lcp(ppp.CHAP_FAILURE, 5, b"E=691 R=0 C=00 V=3", ppp.CHAP))
        self.assertEqual(self.p.auth_failure, "E=691 R=0 C=00 V=3")

    def test_ipcp_takes_nak_values_and_records_peer(self):
        self.p.lcp.acked = self.p.lcp_peer_acked = True
        self.p.start_ipcp()
        self.p.retransmit()
        _, _, ident, _ = self.last()
        nak = ppp.options_bytes([(ppp.IPCP_ADDRESS, bytes([192, 168, 30, 10])),
                                 (ppp.IPCP_DNS1, bytes([192, 168, 30, 1]))])
        self.p.handle(lcp(ppp.CONF_REJ, ident, ppp.options_bytes([(ppp.IPCP_DNS2, bytes(4))]), ppp.IPCP))
        self.p.retransmit()
        _, _, ident, _ = self.last()
        self.p.handle(lcp(ppp.CONF_NAK, ident, nak, ppp.IPCP))
        self.p.retransmit()
        _, code, ident, options = self.last()
        self.assertEqual(options, [(ppp.IPCP_ADDRESS, bytes([192, 168, 30, 10])),
                                   (ppp.IPCP_DNS1, bytes([192, 168, 30, 1]))])
        self.p.handle(lcp(ppp.CONF_ACK, ident, ppp.options_bytes(options), ppp.IPCP))
        self.p.handle(lcp(ppp.CONF_REQ, 1, ppp.options_bytes([(ppp.IPCP_ADDRESS, bytes([192, 168, 30, 1]))]), ppp.IPCP))
        self.assertTrue(self.p.ipcp_open)
        self.assertEqual((self.p.address(), self.p.peer_address, self.p.dns()),
                         ("192.168.30.10", "192.168.30.1", ["192.168.30.1"]))

    def test_configure_request_given_up_after_bounded_sends(self):
        self.p.start_lcp()
        with self.assertRaises(ppp.PppFailure):
            for _ in range(ppp.MAX_CONFIGURE + 1):
                self.p.lcp.next_send = 0
                self.p.retransmit()
        self.assertEqual(len(self.sent), ppp.MAX_CONFIGURE)

    def test_terminate_request_acknowledged_and_reported(self):
        self.p.handle(lcp(ppp.TERM_REQ, 4, b"auth failed"))
        self.assertEqual(self.sent[-1][4:6], bytes([ppp.TERM_ACK, 4]))
        self.assertIn("auth failed", self.p.terminated)


class Ipv4Test(unittest.TestCase):
    def test_checksum_rfc1071_example(self):
        self.assertEqual(ipv4.checksum(bytes.fromhex("0001f203f4f5f6f7")), ~0xDDF2 & 0xFFFF)

    def test_echo_reply_recognised_only_when_intact(self):
        request = ipv4.icmp_echo("192.168.30.10", "192.168.30.1", 0x1234, 7, b"abc")
        self.assertEqual(ipv4.checksum(request[:20]), 0)
        # Build the reply the way a host would: swap addresses, type 0.
        icmp = bytearray(request[20:])
        icmp[0] = ipv4.ECHO_REPLY
        icmp[2:4] = b"\0\0"
        icmp[2:4] = struct.pack("!H", ipv4.checksum(bytes(icmp)))
        reply = ipv4.ipv4_packet("192.168.30.1", "192.168.30.10", ipv4.ICMP, bytes(icmp))
        self.assertEqual(ipv4.parse_echo_reply(reply), ("192.168.30.1", 0x1234, 7))
        self.assertIsNone(ipv4.parse_echo_reply(request))
        broken = bytearray(reply)
        broken[-1] ^= 0xFF
        self.assertIsNone(ipv4.parse_echo_reply(bytes(broken)))
        self.assertIsNone(ipv4.parse_echo_reply(reply[:25]))


if __name__ == "__main__":
    unittest.main()
