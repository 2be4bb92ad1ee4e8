"""Serving benchmarks, run as root by `make bench`: the emulated Mac's server in a network
namespace of its own, real clients from a second one, nothing sent anywhere else.

  - from `veltronactl start` to the first answer on UDP 500: median of 10;
  - one client from its first IKE packet to the ping's reply: median of 10;
  - 20 clients (or as many as asked, 99 filling the VPN ids) at once from as many addresses: all
    connect with distinct addresses from the range and every ping returns; the time until the last
    reply, and the server's resident memory while they are connected;
  - while they are connected: `veltronactl sessions --json` and `veltronactl status --json` side
    by side, median of 10 each (the target: sessions at most 1.3 times status), and a first
    `sessions` after a while without one, which asks SoftEther afresh;
  - an account deleted while connected: the time from `users delete` returning to its client
    seeing the session end."""

import ipaddress
import json
import os
import statistics
import subprocess
import sys
import threading
import time
import unittest

sys.dont_write_bytecode = True
HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "serving"))
DRIVERS = os.path.join(HERE, "..", "tests", "serving", "drivers.py")

from served_mac import PYTHON, ServedMac  # noqa: E402

PSK, PASSWORD = "Sesame42", "bench pass"
# `serving_bench.py [CLIENTS]`: 20 by default; 99 fills the whole range of VPN ids.
CLIENTS = int(sys.argv[1]) if len(sys.argv) > 1 else 20


def driver(mac, *args, timeout=120):
    done = subprocess.run(["ip", "netns", "exec", mac.client_ns, PYTHON, "-B", DRIVERS]
                          + list(args), input="%s\n%s\n" % (PSK, PASSWORD), capture_output=True, text=True,
                          timeout=timeout)
    return json.loads(done.stdout.strip().splitlines()[-1])


def sessions(mac):
    return json.loads(mac.ctl("sessions", "--json"))["sessions"]


def timed(action):
    start = time.monotonic()
    action()
    return time.monotonic() - start


def main():
    try:
        mac = ServedMac("bn")
    except unittest.SkipTest as skip:
        print("serving_bench: skipped: %s" % skip)
        return 0
    try:
        mac.ctl("settings", "set", "dns=10.9.8.7", "range=192.168.77.10-192.168.77.250")
        mac.ctl("secret", "set", input_text=PSK + "\n")
        users = ["user%02d" % i for i in range(CLIENTS)]
        for user in users:
            mac.ctl("users", "add", user, input_text=PASSWORD + "\n")

        answers, stops = [], []
        for _ in range(10):
            probe = subprocess.Popen(["ip", "netns", "exec", mac.client_ns, PYTHON, "-B",
                                      DRIVERS, "first-answer", mac.server_ip],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
            probe.stdin.write("%s\n%s\n" % (PSK, PASSWORD))
            probe.stdin.close()
            time.sleep(0.3)  # the probe is sending before the start begins
            started = time.time()
            mac.ctl("start")
            answered = json.loads(probe.stdout.read().strip())["answered_at"]
            probe.wait()
            answers.append(answered - started if answered else float("nan"))
            stopping = time.monotonic()
            mac.ctl("stop")  # returns once the server has ended
            stops.append(time.monotonic() - stopping)
        print("start to first answer on UDP 500: median %.3f s (%s)" %
              (statistics.median(answers), ", ".join("%.3f" % a for a in answers)))
        print("veltronactl stop until UDP 500 and 4500 are closed: median %.3f s" % statistics.median(stops))

        mac.ctl("start")
        mac.wait_serving()
        one = driver(mac, "one-client", mac.server_ip, users[0])["seconds"]
        print("one client, first IKE packet to ping reply: median %.3f s (%s)" %
              (statistics.median([s for s in one if s is not None]), ", ".join("%.3f" % s if s else "failed" for s in one)))

        sources = mac.client_addresses(CLIENTS)
        memory, listing = {}, {}
        held = threading.Thread(target=lambda: listing.update(
            outcome=mac.many_clients(users, sources, PASSWORD, PSK, 45)))
        held.start()
        end = time.monotonic() + 60
        while time.monotonic() < end and len(sessions(mac)) < CLIENTS:
            time.sleep(0.5)
        time.sleep(5)  # the last ones' set-up traffic over: measured while they are simply connected
        memory["kib"] = mac.server_footprint()["resident_kib"]
        listed = sessions(mac)
        status_times, sessions_times = [], []
        for _ in range(10):
            status_times.append(timed(lambda: mac.ctl("status", "--json")))
            sessions_times.append(timed(lambda: mac.ctl("sessions", "--json")))
        # Nobody has asked for a while: the list is asked of SoftEther afresh, session by session.
        time.sleep(13)
        first = timed(lambda: mac.ctl("sessions", "--json"))
        held.join()
        outcome = listing["outcome"]
        print("with %d listed: veltronactl sessions --json median %.1f ms, status --json median %.1f ms: %.2f times"
              % (len(listed), 1000 * statistics.median(sessions_times), 1000 * statistics.median(status_times),
                 statistics.median(sessions_times) / statistics.median(status_times)))
        print("  the first ask after 13 s without one: %.1f ms" % (1000 * first))
        many = outcome["seconds"]
        connected = [s for s in many if s is not None]
        addresses = [a for a, s in zip(outcome["addresses"], many) if s is not None]
        in_range = [a for a in addresses if ipaddress.IPv4Address("192.168.77.10") <= ipaddress.IPv4Address(a)
                    <= ipaddress.IPv4Address("192.168.77.250")]
        print("addresses: %d distinct, %d inside the range" % (len(set(addresses)), len(in_range)))
        print("%d clients at once from %d addresses: %d connected, last reply after %.3f s; server resident memory %.1f MiB"
              % (CLIENTS, CLIENTS, len(connected), max(connected) if connected else float("nan"),
                 memory.get("kib", 0) / 1024))

        client = subprocess.Popen(mac.client_command(users[0], hold=30), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  text=True)
        client.stdin.write("%s\n%s\n" % (PSK, PASSWORD))
        client.stdin.close()
        while users[0] not in [s["account"] for s in sessions(mac)]:
            time.sleep(0.1)
        mac.ctl("users", "delete", users[0], "--yes")
        deleted = time.monotonic()
        out = client.stdout.read()
        client.wait()
        print("account deleted while connected: its session ended %.2f s after the deletion (%s)"
              % (time.monotonic() - deleted, "ended by the server" if "hold failed" in out else "NOT ended"))
        return 0 if len(connected) == len(set(in_range)) == len(listed) == CLIENTS and "hold failed" in out else 1
    finally:
        mac.close()


if __name__ == "__main__":
    sys.exit(main())
