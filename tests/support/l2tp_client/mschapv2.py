"""MS-CHAPv2 peer side (RFC 2759): the NT-Response we send and the
authenticator response we expect back from the server."""

import hashlib
import hmac

from Cryptodome.Cipher import DES
from Cryptodome.Hash import MD4

MAGIC1 = b"Magic server to client signing constant"
MAGIC2 = b"Pad to make it do more than one iteration"


def nt_password_hash(password: str) -> bytes:
    return MD4.new(password.encode("utf-16-le")).digest()


def challenge_hash(peer_challenge: bytes, auth_challenge: bytes, username: str) -> bytes:
    # RFC 2759 uses the user name without any domain part.
    name = username.split("\\")[-1].encode("utf-8")
    return hashlib.sha1(peer_challenge + auth_challenge + name).digest()[:8]


def _des_key(seven: bytes) -> bytes:
    """Spread 56 key bits over 8 bytes; DES ignores the parity bit."""
    bits = int.from_bytes(seven, "big")
    return bytes(((bits >> (49 - 7 * i)) & 0x7F) << 1 for i in range(8))


def challenge_response(challenge: bytes, password_hash: bytes) -> bytes:
    padded = password_hash + bytes(21 - len(password_hash))
    return b"".join(
        DES.new(_des_key(padded[i:i + 7]), DES.MODE_ECB).encrypt(challenge)
        for i in (0, 7, 14))


def nt_response(auth_challenge: bytes, peer_challenge: bytes, username: str,
                password: str) -> bytes:
    challenge = challenge_hash(peer_challenge, auth_challenge, username)
    return challenge_response(challenge, nt_password_hash(password))


def authenticator_response(password: str, nt_resp: bytes, peer_challenge: bytes,
                           auth_challenge: bytes, username: str) -> str:
    hash_hash = MD4.new(nt_password_hash(password)).digest()
    digest = hashlib.sha1(hash_hash + nt_resp + MAGIC1).digest()
    challenge = challenge_hash(peer_challenge, auth_challenge, username)
    digest = hashlib.sha1(digest + challenge + MAGIC2).digest()
    return "S=" + digest.hex().upper()


def verify_success_message(message: bytes, expected: str) -> bool:
    """The Success message starts with "S=<40 hex>" and may carry " M=..."."""
    text = message.decode("latin-1")
    got = text[:42].upper()
    return len(got) == 42 and hmac.compare_digest(got, expected.upper())


def parse_failure_message(message: bytes) -> dict:
    """Split "E=691 R=0 C=... V=3 M=text" into its fields; M runs to the end."""
    text = message.decode("utf-8", "replace")
    fields = {}
    rest = text
    while rest:
        rest = rest.lstrip(" ")
        if rest.startswith("M="):
            fields["M"] = rest[2:]
            break
        word, _, rest = rest.partition(" ")
        key, sep, value = word.partition("=")
        if sep:
            fields[key] = value
    return fields
