"""IKEv1 key material (RFC 2409 section 5 and appendix B) for the one suite
we offer: AES-128-CBC, HMAC-SHA1, MODP group 14, pre-shared key."""

import hashlib
import hmac
import secrets

from Cryptodome.Cipher import AES

MODP2048_P = int(
    "FFFFFFFFFFFFFFFFC90FDAA22168C234C4C6628B80DC1CD1"
    "29024E088A67CC74020BBEA63B139B22514A08798E3404DD"
    "EF9519B3CD3A431B302B0A6DF25F14374FE1356D6D51C245"
    "E485B576625E7EC6F44C42E9A637ED6B0BFF5CB6F406B7ED"
    "EE386BFB5A899FA5AE9F24117C4B1FE649286651ECE45B3D"
    "C2007CB8A163BF0598DA48361C55D39A69163FA8FD24CF5F"
    "83655D23DCA3AD961C62F356208552BB9ED529077096966D"
    "670C354E4ABC9804F1746C08CA18217C32905E462E36CE3B"
    "E39E772C180E86039B2783A2EC07A28FB5C55DF06F4C52C9"
    "DE2BCBF6955817183995497CEA956AE515D2261898FA0510"
    "15728E5A8AACAA68FFFFFFFFFFFFFFFF", 16)
MODP2048_LEN = 256
BLOCK = 16
KEY_LEN = 16
HASH_LEN = 20


def prf(key, data):
    return hmac.new(key, data, hashlib.sha1).digest()


class DiffieHellman:
    def __init__(self):
        self.private = secrets.randbits(320) | (1 << 319)
        self.public = pow(2, self.private, MODP2048_P).to_bytes(MODP2048_LEN, "big")

    def shared(self, peer_public):
        y = int.from_bytes(peer_public, "big")
        if not 1 < y < MODP2048_P - 1:
            raise ValueError("peer DH value out of range")
        return pow(y, self.private, MODP2048_P).to_bytes(MODP2048_LEN, "big")


class Phase1Keys:
    def __init__(self, psk, ni, nr, gxy, icookie, rcookie):
        self.skeyid = prf(psk, ni + nr)
        self.skeyid_d = prf(self.skeyid, gxy + icookie + rcookie + b"\0")
        self.skeyid_a = prf(self.skeyid, self.skeyid_d + gxy + icookie + rcookie + b"\1")
        self.skeyid_e = prf(self.skeyid, self.skeyid_a + gxy + icookie + rcookie + b"\2")
        # SHA-1 output already covers a 128-bit key, so no appendix-B expansion.
        self.enc_key = self.skeyid_e[:KEY_LEN]


def initial_iv(gxi, gxr):
    return hashlib.sha1(gxi + gxr).digest()[:BLOCK]


def phase2_iv(last_phase1_block, msgid):
    return hashlib.sha1(last_phase1_block + msgid.to_bytes(4, "big")).digest()[:BLOCK]


def encrypt(key, iv, plain):
    """Zero-pad to the block size; returns ciphertext (its last block is the next IV)."""
    pad = (-len(plain)) % BLOCK
    return AES.new(key, AES.MODE_CBC, iv).encrypt(plain + bytes(pad))


def decrypt(key, iv, cipher):
    if not cipher or len(cipher) % BLOCK:
        raise ValueError("encrypted part is not whole blocks")
    return AES.new(key, AES.MODE_CBC, iv).decrypt(cipher)


def keymat(skeyid_d, protocol, spi, ni, nr, length):
    seed = bytes([protocol]) + spi + ni + nr
    out, block = b"", b""
    while len(out) < length:
        block = prf(skeyid_d, block + seed)
        out += block
    return out[:length]


def nat_d_hash(icookie, rcookie, address, port):
    return hashlib.sha1(icookie + rcookie + bytes(address) + port.to_bytes(2, "big")).digest()
