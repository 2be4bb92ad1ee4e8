"""An emulated Mac serving in a network namespace of its own, and a client namespace joined to it
by a veth pair. The server is started the product's way: veltronactl, through the runner,
shellTool and the stand-in launchctl, whose launchd starts vpnd, which starts SoftEther. Nothing
leaves the two namespaces; close() ends every process, namespace and folder it made."""

import json
import os
import shutil
import subprocess
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
CLIENT = os.path.join(HERE, "..", "support", "l2tp_client", "client.py")
DRIVERS = os.path.join(HERE, "drivers.py")
PYTHON = "/usr/bin/python3"
ADMIN_PASSWORD = "secret"
SKIP_REASON = "needs root and network namespaces"


def build_bin():
    return os.path.join(os.environ.get("VELTRONA_BUILD_DIR", os.path.join(HERE, "..", "..", "build")), "bin")


def run(args, input_text=None, timeout=60, check=False):
    done = subprocess.run(args, input=input_text, capture_output=True, text=True, timeout=timeout)
    if check and done.returncode != 0:
        raise AssertionError("%s failed (%d): %s" % (" ".join(args), done.returncode, done.stderr.strip()))
    return done


def skip_unless_able():
    """Skips with the reason unless this machine can host the pair."""
    if os.geteuid() != 0 or shutil.which("ip") is None:
        raise unittest.SkipTest(SKIP_REASON)
    if not os.access("/usr/libexec/softether/vpnserver/vpnserver", os.X_OK):
        raise unittest.SkipTest(SKIP_REASON + " (and softether-vpnserver)")
    if run([PYTHON, "-c", "import Cryptodome.Cipher.AES"]).returncode != 0:
        raise unittest.SkipTest(SKIP_REASON + " (and python3-pycryptodome)")
    probe = "vtprobe%d" % os.getpid()
    if run(["ip", "netns", "add", probe]).returncode != 0:
        raise unittest.SkipTest(SKIP_REASON)
    run(["ip", "netns", "del", probe])


class ServedMac:
    def __init__(self, tag):
        skip_unless_able()
        unique = "%d%s" % (os.getpid() % 100000, tag)
        self.server_ns, self.client_ns = "vs" + unique, "vc" + unique
        subnet = 10 + os.getpid() % 200
        self.server_ip, self.client_ip = "10.231.%d.1" % subnet, "10.231.%d.2" % subnet
        self.folder = tempfile.mkdtemp(prefix="veltrona-serving-")
        self.root = os.path.join(self.folder, "mac")
        self._namespaces = []
        try:
            self._make_link(unique)
            run([os.path.join(build_bin(), "veltrona-platform"), "init", self.root, "--admin", "admin"],
                input_text=ADMIN_PASSWORD + "\n", check=True)
        except BaseException:
            self.close()
            raise

    def _make_link(self, unique):
        for ns in (self.server_ns, self.client_ns):
            run(["ip", "netns", "add", ns], check=True)
            self._namespaces.append(ns)
            run(["ip", "-n", ns, "link", "set", "lo", "up"], check=True)
        veth = self.veth = "vt" + unique
        run(["ip", "link", "add", veth + "a", "netns", self.server_ns, "type", "veth",
             "peer", "name", veth + "b", "netns", self.client_ns], check=True)
        for ns, dev, ip in ((self.server_ns, veth + "a", self.server_ip), (self.client_ns, veth + "b", self.client_ip)):
            run(["ip", "-n", ns, "addr", "add", ip + "/24", "dev", dev], check=True)
            run(["ip", "-n", ns, "link", "set", dev, "up"], check=True)

    def in_server(self, args, **kwargs):
        env = ["env", "VELTRONA_PLATFORM_ROOT=" + self.root, "VELTRONA_ADMIN_PASSWORD=" + ADMIN_PASSWORD]
        return run(["ip", "netns", "exec", self.server_ns] + env + args, **kwargs)

    def ctl(self, *args, input_text=None):
        """veltronactl in the server's namespace; its result, checked to be a success."""
        done = self.in_server([os.path.join(build_bin(), "veltronactl")] + list(args), input_text=input_text)
        if done.returncode != 0:
            raise AssertionError("veltronactl %s: %s%s" % (" ".join(args), done.stdout, done.stderr))
        return done.stdout

    def status(self):
        return json.loads(self.ctl("status", "--json"))

    def wait_serving(self, limit=20.0):
        end = time.monotonic() + limit
        while time.monotonic() < end:
            if self.status()["serving"]["active"]:
                return
            time.sleep(0.2)
        raise AssertionError("not serving after %.0f s: %s" % (limit, self.status()["serving"]))

    def vpnd_pid(self):
        listing = self.in_server([os.path.join(self.root, "bin", "launchctl"), "list"]).stdout
        for line in listing.splitlines():
            if line.endswith("\tcom.brantholm.vpn"):
                return line.split("\t")[0]
        return None

    def client_command(self, user, hold=0, timeout=12):
        args = ["ip", "netns", "exec", self.client_ns, PYTHON, "-B", CLIENT, "--server", self.server_ip,
                "--user", user, "--timeout", str(timeout)]
        return args + (["--hold", str(hold)] if hold else [])

    def connect(self, user, password, psk, timeout=12):
        done = run(self.client_command(user, timeout=timeout), input_text="%s\n%s\n" % (psk, password), timeout=40)
        return json.loads(done.stdout.strip().splitlines()[-1])

    def in_client(self, code):
        return run(["ip", "netns", "exec", self.client_ns, PYTHON, "-c", code], timeout=20)

    def cycles(self, user, password, psk, threads, cycles):
        """Connect-and-disconnect cycles from the client's namespace; their counts."""
        done = run(["ip", "netns", "exec", self.client_ns, PYTHON, "-B", os.path.join(HERE, "cycles.py"), self.server_ip,
                    user, str(threads), str(cycles)], input_text="%s\n%s\n" % (psk, password), timeout=1800)
        return json.loads(done.stdout.strip().splitlines()[-1])

    def client_addresses(self, count):
        """`count` more addresses on the client's end of the link (from .100 on), one per client."""
        base = self.client_ip.rsplit(".", 1)[0]
        sources = ["%s.%d" % (base, 100 + i) for i in range(count)]
        for source in sources:
            run(["ip", "-n", self.client_ns, "addr", "add", source + "/24", "dev", self.veth + "b"], check=True)
        return sources

    def many_clients(self, users, sources, password, psk, hold):
        """Every user at once, each from its own address, held `hold` seconds: the seconds from the
        first IKE packet to the ping's reply (None for a failure) and the addresses given."""
        done = run(["ip", "netns", "exec", self.client_ns, PYTHON, "-B", DRIVERS, "many-clients", self.server_ip,
                    ",".join(users), ",".join(sources), str(hold)], input_text="%s\n%s\n" % (psk, password),
                   timeout=300)
        return json.loads(done.stdout.strip().splitlines()[-1])

    def server_footprint(self):
        """SoftEther's processes in the server's namespace: their count, open descriptors and
        resident memory (KiB), and the sessions its log says were created and ended."""
        footprint = {"processes": 0, "descriptors": 0, "resident_kib": 0}
        for pid in self.server_pids():
            try:
                with open("/proc/%s/status" % pid) as status:
                    fields = dict(line.split(":", 1) for line in status if ":" in line)
                if fields.get("Name", "").strip() != "vpnserver":
                    continue
                footprint["processes"] += 1
                footprint["descriptors"] += len(os.listdir("/proc/%s/fd" % pid))
                footprint["resident_kib"] += int(fields["VmRSS"].split()[0])
            except (OSError, KeyError, ValueError):
                continue
        log = ""
        folder = os.path.join(self.root, "var/db/vpnd/softether/log/server_log")
        for name in sorted(os.listdir(folder)) if os.path.isdir(folder) else []:
            with open(os.path.join(folder, name), errors="replace") as f:
                log += f.read()
        footprint["sessions_created"] = log.count('The new session "SID-')
        footprint["sessions_ended"] = log.count("The session has been terminated")
        return footprint

    def settled_footprint(self, limit=10.0):
        """The server's footprint once every session it logged as created has ended."""
        deadline = time.monotonic() + limit
        footprint = self.server_footprint()
        while footprint["sessions_ended"] < footprint["sessions_created"] and time.monotonic() < deadline:
            time.sleep(0.2)
            footprint = self.server_footprint()
        return footprint

    def fresh_root(self):
        """Replaces the emulated Mac with a new one; the server must have been stopped."""
        if self.server_pids():
            raise AssertionError("the server still runs: %s" % self.server_pids())
        shutil.rmtree(self.root)
        run([os.path.join(build_bin(), "veltrona-platform"), "init", self.root, "--admin", "admin"],
            input_text=ADMIN_PASSWORD + "\n", check=True)

    def server_pids(self):
        return run(["ip", "netns", "pids", self.server_ns]).stdout.split()

    def close(self):
        try:
            if os.path.exists(os.path.join(self.root, "bin", "launchctl")):
                self.in_server([os.path.join(self.root, "bin", "launchctl"), "unload",
                                "/Library/LaunchDaemons/com.brantholm.vpn.plist"], timeout=20)
        finally:
            for ns in self._namespaces:
                for pid in run(["ip", "netns", "pids", ns]).stdout.split():
                    run(["kill", "-KILL", pid])
                run(["ip", "netns", "del", ns])
            shutil.rmtree(self.folder, ignore_errors=True)
