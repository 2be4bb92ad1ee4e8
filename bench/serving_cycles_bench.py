"""Connect-and-disconnect cycles against the emulated Mac's server, in network namespaces of its
own (root only): `serving_cycles_bench.py [CYCLES]`, 1,000 by default, ten clients at a time.
Prints the time, and the server's processes, descriptors, resident memory and logged sessions
after a warm-up, after each quarter and at the end, and what `veltronactl sessions` lists then.
The target: resident memory at the end within 10 % of that after the warm-up."""

import json
import os
import sys
import time
import unittest

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "serving"))

from served_mac import ServedMac  # noqa: E402

PSK, PASSWORD, THREADS = "Sesame42", "bench pass", 10
IKE_PEER_KEPT = 160


def main():
    cycles = int(sys.argv[1]) if len(sys.argv) > 1 else 1000
    try:
        mac = ServedMac("cy")
    except unittest.SkipTest as skip:
        print("serving_cycles_bench: skipped: %s" % skip)
        return 0
    try:
        mac.ctl("settings", "set", "dns=10.9.8.7", "range=192.168.77.10-192.168.77.250")
        mac.ctl("secret", "set", input_text=PSK + "\n")
        mac.ctl("users", "add", "cycler", input_text=PASSWORD + "\n")
        mac.ctl("start")
        mac.wait_serving()
        # The warm-up brings SoftEther's thread pool and allocator to ten clients at a time; each
        # reading waits out the 150 s SoftEther keeps an IKE peer after its last packet, so what
        # is measured is what the cycles left behind.
        mac.cycles("cycler", PASSWORD, PSK, THREADS, 10)
        time.sleep(IKE_PEER_KEPT)
        before = mac.settled_footprint()
        print("after 100 cycles of warm-up and %d s: %s" % (IKE_PEER_KEPT, before))
        started = time.monotonic()
        counts = {"ok": 0, "failed": 0, "errors": []}
        # In quarters, to tell growth that levels off from growth that goes on.
        for quarter in range(4):
            done = mac.cycles("cycler", PASSWORD, PSK, THREADS, cycles // THREADS // 4)
            for key in counts:
                counts[key] += done[key]
            print("after %d cycles: resident %.1f MiB" % ((quarter + 1) * (cycles // 4),
                                                           mac.settled_footprint()["resident_kib"] / 1024))
        took = time.monotonic() - started
        time.sleep(IKE_PEER_KEPT)
        after = mac.settled_footprint()
        listed = json.loads(mac.ctl("sessions", "--json"))["sessions"]
        print("%d cycles in %.1f s: %d ok, %d failed %s" % (cycles, took, counts["ok"], counts["failed"], counts["errors"]))
        print("%d s after the last: %s" % (IKE_PEER_KEPT, after))
        print("resident memory %.1f MiB -> %.1f MiB (%+.1f %%); sessions left open: %d" % (
            before["resident_kib"] / 1024, after["resident_kib"] / 1024,
            100.0 * (after["resident_kib"] - before["resident_kib"]) / max(before["resident_kib"], 1),
            after["sessions_created"] - after["sessions_ended"]))
        print("veltronactl sessions at the end: %d listed" % len(listed))
        return 0 if counts["failed"] == 0 and not listed else 1
    finally:
        mac.close()


if __name__ == "__main__":
    sys.exit(main())
