"""Real L2TP/IPsec clients against the emulated Mac's server, set up and changed only through
veltronactl. Every case runs the server in a namespace of its own."""

import datetime
import ipaddress
import json
import os
import plistlib
import time
import subprocess
import threading
import unittest

from served_mac import ServedMac

PSK = "Sesame42"
OTHER_PSK = "Open4Barley"
HOST_FOLDERS = ("/var/lib/softether", "/run/softether", "/var/log/softether")


def listing(path):
    return sorted(os.listdir(path)) if os.path.isdir(path) else None


class ServingTest(unittest.TestCase):
    def setUp(self):
        self.host_before = {path: listing(path) for path in HOST_FOLDERS}
        self.mac = ServedMac(self._testMethodName[5:9])
        self.addCleanup(self.mac.close)
        self.mac.ctl("settings", "set", "host=vpn.example.test", "dns=10.9.8.7,10.9.8.6", "domains=corp.test",
                     "range=192.168.77.10-192.168.77.20")
        self.mac.ctl("secret", "set", input_text=PSK + "\n")
        self.mac.ctl("users", "add", "alice", input_text="correct horse\n")
        self.mac.ctl("start")
        self.mac.wait_serving()

    def tearDown(self):
        for path, before in self.host_before.items():
            self.assertEqual(listing(path), before, path + " changed on the host")

    def assertRefused(self, user, password, psk=PSK):
        result = self.mac.connect(user, password, psk)
        self.assertFalse(result["ok"], user)
        self.assertEqual(result["failed_stage"], "mschapv2", result)
        self.assertIn("E=691", result["error"])

    def assertConnects(self, user, password, psk=PSK, first="192.168.77.10", last="192.168.77.20",
                       dns=("10.9.8.7", "10.9.8.6")):
        result = self.mac.connect(user, password, psk)
        self.assertTrue(result["ok"], result)
        address = ipaddress.IPv4Address(result["address"])
        self.assertTrue(ipaddress.IPv4Address(first) <= address <= ipaddress.IPv4Address(last), result)
        self.assertEqual(tuple(result["dns"]), dns)
        self.assertEqual(result["ping_received"], result["ping_sent"])
        return result

    def test_accounts_count_from_the_next_login_without_a_restart(self):
        self.mac.ctl("users", "add", "bob", input_text="bob's pass\n")
        vpnd = self.mac.vpnd_pid()
        # bob stays connected through every change to other accounts.
        bob = subprocess.Popen(self.mac.client_command("bob", hold=15), stdin=subprocess.PIPE,
                               stdout=subprocess.PIPE, text=True)
        bob.stdin.write(PSK + "\nbob's pass\n")
        bob.stdin.close()
        try:
            self.assertConnects("alice", "correct horse")
            self.assertRefused("alice", "wrong horse")
            self.assertRefused("carol", "correct horse")
            self.assertRefused("admin", "secret")
            self.mac.ctl("users", "passwd", "alice", input_text="battery staple\n")
            self.assertRefused("alice", "correct horse")
            self.assertConnects("alice", "battery staple")
            self.mac.ctl("users", "delete", "alice", "--yes")
            self.assertRefused("alice", "battery staple")
            self.mac.ctl("users", "add", "dave", input_text="dave's pass\n")
            self.assertConnects("dave", "dave's pass")
            # A record from before the directory kept NT hashes: no login until its password is set.
            self.drop_nt_hash("dave")
            self.assertRefused("dave", "dave's pass")
            self.assertRefused("dave", "dave's pass")
            self.mac.ctl("users", "passwd", "dave", input_text="dave's pass\n")
            self.assertConnects("dave", "dave's pass")
            out = bob.stdout.read()
            bob.wait(timeout=60)
        finally:
            if bob.poll() is None:
                bob.kill()
                bob.wait()
        self.assertEqual(bob.returncode, 0, out)
        self.assertIn("stage hold ok", out)
        self.assertEqual(self.mac.vpnd_pid(), vpnd)
        with open(os.path.join(self.mac.root, "var/log/system.log")) as log:
            self.assertEqual(log.read().count("dave cannot log in over the VPN until its password is set again"), 1)

    def hold(self, user, password, seconds=40):
        client = subprocess.Popen(self.mac.client_command(user, hold=seconds), stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, text=True)
        client.stdin.write("%s\n%s\n" % (PSK, password))
        client.stdin.close()
        self.addCleanup(lambda: client.poll() is None and (client.kill(), client.wait()))
        return client

    def connected(self, client):
        """Reads the client's report up to its ping: it holds a whole session from then on."""
        seen = ""
        for line in client.stdout:
            seen += line
            if line.startswith("stage ping"):
                self.assertTrue(line.startswith("stage ping ok"), seen)
                return
        self.fail("the client ended before its ping: " + seen)

    def sessions(self):
        return json.loads(self.mac.ctl("sessions", "--json"))["sessions"]

    def wait_sessions(self, accounts, limit=15.0):
        """The list once it names these accounts, each with its tunnel address known."""
        end = time.monotonic() + limit
        listed = self.sessions()
        while (sorted(s["account"] for s in listed) != sorted(accounts)
               or not all(s["tunnelAddress"] for s in listed)) and time.monotonic() < end:
            time.sleep(0.2)
            listed = self.sessions()
        self.assertEqual(sorted(s["account"] for s in listed), sorted(accounts), listed)
        return listed

    def ended(self, client):
        out = client.stdout.read()
        client.wait(timeout=30)
        self.assertIn("stage hold failed server closed the session", out)
        return json.loads(out.strip().splitlines()[-1])

    def test_sessions_listed_disconnected_and_ended_with_their_account(self):
        self.assertEqual(self.sessions(), [])
        self.mac.ctl("users", "add", "bob", input_text="bob's pass\n")
        self.mac.ctl("users", "add", "carol", input_text="carol's pass\n")
        started = time.time()
        alice, bob = self.hold("alice", "correct horse"), self.hold("bob", "bob's pass")
        self.connected(alice)
        self.connected(bob)
        listed = self.wait_sessions(["alice", "bob"])
        tunnel = {}
        for session in listed:
            self.assertEqual(session["remoteAddress"], self.mac.client_ip)
            address = ipaddress.IPv4Address(session["tunnelAddress"])
            self.assertTrue(ipaddress.IPv4Address("192.168.77.10") <= address <= ipaddress.IPv4Address("192.168.77.20"))
            since = datetime.datetime.strptime(session["connectedSince"], "%Y-%m-%dT%H:%M:%SZ")
            self.assertLess(abs(since.replace(tzinfo=datetime.timezone.utc).timestamp() - started), 30)
            # LCP, the login and IPCP went both ways before the list could name the account.
            self.assertGreater(session["bytesIn"], 0)
            self.assertGreater(session["bytesOut"], 0)
            tunnel[session["account"]] = session["tunnelAddress"]
        self.assertEqual(len(set(tunnel.values())), 2)
        text = self.mac.ctl("sessions")
        self.assertTrue(text.startswith("ACCOUNT"), text)
        self.assertIn(tunnel["alice"], text)

        self.assertEqual(self.mac.ctl("sessions", "disconnect", "alice").strip(), "Disconnected alice (1 session).")
        self.assertEqual(self.ended(alice)["address"], tunnel["alice"])
        refused = self.mac.in_server([os.path.join(os.environ["VELTRONA_BUILD_DIR"], "bin", "veltronactl"), "sessions",
                                      "disconnect", "alice"])
        self.assertEqual((refused.returncode, refused.stderr.strip()), (1, "veltronactl: alice is not connected."))
        self.assertConnects("alice", "correct horse")

        # Deleted while connected: bob's session ends, carol's stays.
        carol = self.hold("carol", "carol's pass")
        self.connected(carol)
        self.wait_sessions(["bob", "carol"])
        self.mac.ctl("users", "delete", "bob", "--yes")
        self.assertEqual(self.ended(bob)["address"], tunnel["bob"])
        self.assertEqual([s["account"] for s in self.sessions()], ["carol"])
        self.assertIsNone(carol.poll())
        self.mac.ctl("stop")
        self.assertEqual(self.sessions(), [])

    def test_ninety_nine_clients_at_once(self):
        # Every VPN id (401-499) in use, each account from an address of its own.
        self.mac.ctl("settings", "set", "range=192.168.77.10-192.168.77.250", "--apply")
        self.mac.wait_serving()
        users = ["alice"] + ["user%02d" % i for i in range(98)]
        for user in users[1:]:
            self.mac.ctl("users", "add", user, input_text="correct horse\n")
        sources = self.mac.client_addresses(len(users))
        outcome = {}
        held = threading.Thread(target=lambda: outcome.update(
            self.mac.many_clients(users, sources, "correct horse", PSK, 15)))
        held.start()
        try:
            listed = self.wait_sessions(users, limit=90)
        finally:
            held.join()
        self.assertEqual([user for user, seconds in zip(users, outcome["seconds"]) if seconds is None], [],
                         "these did not connect, or their ping did not return")
        addresses = outcome["addresses"]
        self.assertEqual(len(set(addresses)), len(users))
        self.assertTrue(all(ipaddress.IPv4Address("192.168.77.10") <= ipaddress.IPv4Address(a)
                            <= ipaddress.IPv4Address("192.168.77.250") for a in addresses), addresses)
        self.assertEqual(sorted(s["tunnelAddress"] for s in listed), sorted(addresses))
        self.assertEqual(sorted(s["remoteAddress"] for s in listed), sorted(sources))
        self.wait_sessions([])

    def drop_nt_hash(self, name):
        path = os.path.join(self.mac.root, "var/db/dslocal/nodes/Default/users", name + ".plist")
        with open(path, "rb") as f:
            record = plistlib.load(f)
        hashes = plistlib.loads(record["ShadowHashData"][0])
        del hashes["SMB-NT"]
        record["ShadowHashData"] = [plistlib.dumps(hashes, fmt=plistlib.FMT_BINARY)]
        with open(path, "wb") as f:
            plistlib.dump(record, f)

    def test_a_new_secret_and_settings_take_effect_at_the_restart(self):
        # A wrong key never completes Main Mode: a short wait says as much.
        result = self.mac.connect("alice", "correct horse", OTHER_PSK, timeout=4)
        self.assertFalse(result["ok"])
        self.assertEqual(result["failed_stage"], "ike_main_mode")
        self.mac.ctl("secret", "set", input_text=OTHER_PSK + "\n")
        self.mac.ctl("settings", "set", "dns=10.1.2.3", "range=172.20.4.100-172.20.4.120", "--apply")
        self.mac.wait_serving()
        self.assertEqual(self.mac.connect("alice", "correct horse", PSK, timeout=4)["failed_stage"], "ike_main_mode")
        self.assertConnects("alice", "correct horse", OTHER_PSK, "172.20.4.100", "172.20.4.120", ("10.1.2.3",))

    def test_stop_start_a_killed_vpnd_and_the_only_open_ports(self):
        # The administration listener vpnd asks for sessions answers on loopback alone.
        with open(os.path.join(self.mac.root, "var/db/vpnd/admin-channel")) as channel:
            admin_port = int(channel.readline().split()[1])
        probe = ("import socket\n"
                 "for port in (443, 992, 1194, 5555, %d):\n"
                 "    s = socket.socket(); s.settimeout(3)\n"
                 "    print('tcp', port, s.connect_ex(('%s', port)) == 111)\n"
                 "u = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); u.settimeout(3)\n"
                 "u.connect(('%s', 1701)); u.send(b'x')\n"
                 "try:\n    u.recv(10); print('udp 1701 False')\n"
                 "except ConnectionRefusedError:\n    print('udp 1701 True')\n"
                 "except socket.timeout:\n    print('udp 1701 False')\n") % (admin_port, self.mac.server_ip,
                                                                             self.mac.server_ip)
        self.assertEqual(self.mac.in_client(probe).stdout.split("\n")[:6],
                         ["tcp 443 True", "tcp 992 True", "tcp 1194 True", "tcp 5555 True",
                          "tcp %d True" % admin_port, "udp 1701 True"])

        self.mac.ctl("stop")
        self.assertEqual(self.mac.server_pids(), [], "a process of the server is left")
        udp = self.mac.in_server(["cat", "/proc/net/udp"]).stdout
        self.assertNotIn(":01F4 ", udp)
        self.assertNotIn(":1194 ", udp)
        self.assertEqual(self.mac.status()["serving"], {"active": False, "detail": "the server is stopped"})

        self.mac.ctl("start")
        self.mac.wait_serving()
        self.assertConnects("alice", "correct horse")

        killed = self.mac.vpnd_pid()
        self.mac.in_server(["kill", "-KILL", killed])
        self.mac.wait_serving(limit=14)
        self.assertNotEqual(self.mac.vpnd_pid(), killed)
        self.assertConnects("alice", "correct horse")
        log_folder = os.path.join(self.mac.root, "var/db/vpnd/softether/log/server_log")
        self.assertTrue(os.listdir(log_folder), "SoftEther's log is not in the platform root")

        # Run as root, vpnd writes nothing through a link out of the platform root.
        self.mac.ctl("stop")
        outside = os.path.join(self.mac.folder, "outside")
        os.mkdir(outside)
        state = os.path.join(self.mac.root, "var/db/vpnd/softether")
        os.rename(state, state + ".old")
        os.symlink(outside, state)
        self.mac.ctl("start")
        deadline = time.monotonic() + 10
        while "leads out" not in self.mac.status()["serving"]["detail"] and time.monotonic() < deadline:
            time.sleep(0.1)
        self.assertIn("leads out of the platform root", self.mac.status()["serving"]["detail"])
        self.assertEqual(os.listdir(outside), [])

        self.mac.ctl("uninstall", "--yes")
        self.assertEqual(self.mac.server_pids(), [], "de-installation left a process of the server")


    def test_a_backup_restored_on_a_fresh_mac_serves_its_old_accounts(self):
        backup = os.path.join(self.mac.folder, "server.backup")
        self.mac.ctl("backup", backup, "--passphrase-stdin", input_text="pass phrase\npass phrase\n")
        self.mac.ctl("uninstall", "--yes")
        self.mac.fresh_root()
        self.assertEqual(self.mac.status()["accounts"], 0)
        self.mac.ctl("restore", backup, "--passphrase-stdin", "--yes", input_text="pass phrase\n")
        self.mac.ctl("start")
        self.mac.wait_serving()
        self.assertConnects("alice", "correct horse")
        self.assertRefused("alice", "wrong horse")

        # Restored onto a running server: it restarts on the restored state, the old secret back.
        self.mac.ctl("secret", "set", input_text=OTHER_PSK + "\n")
        self.mac.ctl("users", "passwd", "alice", input_text="battery staple\n")
        out = self.mac.ctl("restore", backup, "--passphrase-stdin", "--yes", input_text="pass phrase\n")
        self.assertIn("The VPN server is restarted.", out)
        self.mac.wait_serving()
        self.assertConnects("alice", "correct horse")

    def test_connect_and_disconnect_cycles_leave_nothing_behind(self):
        # Room for ten at once while ended sessions' leases are given back.
        self.mac.ctl("settings", "set", "range=192.168.77.10-192.168.77.250", "--apply")
        self.mac.wait_serving()
        # SoftEther's pools settle in the first cycles; what counts is what stays afterwards.
        self.assertEqual(self.mac.cycles("alice", "correct horse", PSK, 10, 3)["ok"], 30)
        before = self.mac.settled_footprint()
        counts = self.mac.cycles("alice", "correct horse", PSK, 10, 12)
        self.assertEqual(counts, {"ok": 120, "failed": 0, "errors": []})
        after = self.mac.settled_footprint()
        self.assertEqual(after["sessions_created"] - before["sessions_created"], 120)
        self.assertEqual(after["sessions_ended"], after["sessions_created"], "a session was left open")
        self.assertEqual(after["processes"], before["processes"])
        self.assertLessEqual(after["descriptors"], before["descriptors"] + 4)
        self.wait_sessions([])


if __name__ == "__main__":
    unittest.main()
