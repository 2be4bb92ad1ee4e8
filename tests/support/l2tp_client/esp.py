"""ESP with AES-128-CBC and HMAC-SHA1-96 (RFC 4303, RFC 3602, RFC 2404)."""

import hashlib
import hmac
import secrets
import struct

from Cryptodome.Cipher import AES

BLOCK = 16
ICV_LEN = 12
REPLAY_WINDOW = 64


class EspError(ValueError):
    pass


class EspSa:
    def __init__(self, spi, enc_key, auth_key):
        self.spi = bytes(spi)
        self.enc_key = bytes(enc_key)
        self.auth_key = bytes(auth_key)
        self.seq = 0              # last sequence number sent
        self.highest = 0          # highest sequence number accepted
        self.window = 0           # bit i set: highest - i already seen

    def seal(self, next_header, payload):
        if self.seq == 0xFFFFFFFF:
            raise EspError("sequence numbers exhausted")
        self.seq += 1
        pad_len = (-(len(payload) + 2)) % BLOCK
        plain = payload + bytes(range(1, pad_len + 1)) + bytes([pad_len, next_header])
        iv = secrets.token_bytes(BLOCK)
        head = self.spi + struct.pack("!I", self.seq) + iv
        body = head + AES.new(self.enc_key, AES.MODE_CBC, iv).encrypt(plain)
        return body + self._icv(body)

    def open(self, packet):
        """-> (next header, payload); raises EspError for anything not genuine."""
        if len(packet) < 8 + BLOCK + BLOCK + ICV_LEN:
            raise EspError("short ESP packet")
        if packet[:4] != self.spi:
            raise EspError("unknown SPI %s" % packet[:4].hex())
        body, icv = packet[:-ICV_LEN], packet[-ICV_LEN:]
        if not hmac.compare_digest(icv, self._icv(body)):
            raise EspError("integrity check failed")
        seq = struct.unpack("!I", packet[4:8])[0]
        self._check_replay(seq)
        cipher = body[8 + BLOCK:]
        if len(cipher) % BLOCK:
            raise EspError("ciphertext is not whole blocks")
        plain = AES.new(self.enc_key, AES.MODE_CBC, body[8:8 + BLOCK]).decrypt(cipher)
        pad_len, next_header = plain[-2], plain[-1]
        if pad_len + 2 > len(plain):
            raise EspError("padding longer than the packet")
        self._accept(seq)
        return next_header, plain[:-2 - pad_len]

    def _icv(self, data):
        return hmac.new(self.auth_key, data, hashlib.sha1).digest()[:ICV_LEN]

    def _check_replay(self, seq):
        if seq == 0:
            raise EspError("sequence number 0")
        if seq > self.highest:
            return
        offset = self.highest - seq
        if offset >= REPLAY_WINDOW or self.window >> offset & 1:
            raise EspError("replayed sequence number %d" % seq)

    def _accept(self, seq):
        if seq > self.highest:
            shift = seq - self.highest
            self.window = ((self.window << shift) | 1) & ((1 << REPLAY_WINDOW) - 1)
            self.highest = seq
        else:
            self.window |= 1 << (self.highest - seq)
