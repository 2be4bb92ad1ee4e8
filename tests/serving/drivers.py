"""What the serving benchmark and the load test run inside the client's namespace, one mode per
call; it prints one JSON line. Secrets come on standard input: the pre-shared key, then the
password."""

import json
import os
import socket
import sys
import threading
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "l2tp_client"))

import ike  # noqa: E402
import isakmp as ik  # noqa: E402
from client import connect  # noqa: E402


def first_answer(server, limit=30.0):
    """Sends a Main Mode opening every 10 ms; the wall-clock time of the first answer."""
    attrs = [ik.attribute(ike.P1_ENC, ike.ENC_AES_CBC), ik.attribute(ike.P1_KEYLEN, 128),
             ik.attribute(ike.P1_HASH, ike.HASH_SHA1), ik.attribute(ike.P1_AUTH, ike.AUTH_PSK),
             ik.attribute(ike.P1_GROUP, ike.GROUP_MODP2048)]
    kind, body = ik.chain([(ik.SA, ik.sa_payload([(1, ik.PROTO_ISAKMP, b"", [(ike.KEY_IKE, attrs)])])),
                           (ik.VENDOR_ID, ike.VID_RFC3947)])
    message = ik.Header(os.urandom(8), bytes(8), kind, ik.MAIN_MODE, 0, 0, ik.HEADER_LEN + len(body)).pack() + body
    sock = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    sock.settimeout(0.01)
    end = time.monotonic() + limit
    while time.monotonic() < end:
        try:
            sock.sendto(message, (server, 500))
            sock.recvfrom(65535)
            return time.time()
        except (socket.timeout, ConnectionRefusedError):
            continue
    return None


def timed_connect(server, user, password, psk, bind=None, hold=0.0, with_address=False):
    """Seconds from the first IKE packet to the ping's reply, or None; with the address given."""
    marks = {}
    start = time.monotonic()
    result = connect(server, user, password, psk, bind=bind, timeout=20, hold=hold,
                     report=lambda stage, ok, detail: marks.setdefault(stage, time.monotonic()) if ok else None)
    replied = result["ok"] and "ping" in marks and result["ping_received"] == result["ping_sent"]
    seconds = marks["ping"] - start if replied else None
    return (seconds, result["address"]) if with_address else seconds


def main():
    mode, server = sys.argv[1], sys.argv[2]
    psk = sys.stdin.readline().rstrip("\n")
    password = sys.stdin.readline().rstrip("\n")
    if mode == "first-answer":
        print(json.dumps({"answered_at": first_answer(server)}))
    elif mode == "one-client":
        print(json.dumps({"seconds": [timed_connect(server, sys.argv[3], password, psk) for _ in range(10)]}))
    elif mode == "many-clients":
        users, sources, hold = sys.argv[3].split(","), sys.argv[4].split(","), float(sys.argv[5])
        times = [None] * len(users)

        def one(i):
            times[i] = timed_connect(server, users[i], password, psk, bind=sources[i], hold=hold, with_address=True)

        threads = [threading.Thread(target=one, args=(i,)) for i in range(len(users))]
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        print(json.dumps({"seconds": [t[0] for t in times], "addresses": [t[1] for t in times]}))


if __name__ == "__main__":
    main()
