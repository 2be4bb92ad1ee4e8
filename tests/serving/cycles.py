"""Connect-and-disconnect cycles from the client's namespace: THREADS threads each running CYCLES
full cycles (set-up, ping, teardown) for one account. Secrets on standard input: the pre-shared
key, then the password. Prints one JSON line: {"ok": n, "failed": n, "errors": [first few]}."""

import json
import os
import sys
import threading

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support", "l2tp_client"))

from client import connect  # noqa: E402


def main():
    server, user, threads, cycles = sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4])
    psk = sys.stdin.readline().rstrip("\n")
    password = sys.stdin.readline().rstrip("\n")
    counts = {"ok": 0, "failed": 0, "errors": []}
    lock = threading.Lock()

    def run():
        for _ in range(cycles):
            result = connect(server, user, password, psk, timeout=15)
            with lock:
                if result["ok"] and result["teardown"] == "ok":
                    counts["ok"] += 1
                else:
                    counts["failed"] += 1
                    if len(counts["errors"]) < 5:
                        counts["errors"].append("%s: %s" % (result["failed_stage"], result["error"]))

    workers = [threading.Thread(target=run) for _ in range(threads)]
    for worker in workers:
        worker.start()
    for worker in workers:
        worker.join()
    print(json.dumps(counts))


if __name__ == "__main__":
    main()
