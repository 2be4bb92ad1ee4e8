"""One L2TP/IPsec connection, stage by stage, and its teardown."""

import os
import secrets
import time
import traceback

import ipv4
from channel import ChannelClosed, EspChannel
from ike import IkeFailure, IkeSession
from l2tp import L2tpError, Tunnel
from ppp import PppFailure, Ppp
from transport import UdpTransport

SECURENAT_GATEWAY = "192.168.30.1"
TEARDOWN_LIMIT = 3.0
PING_WAIT = 2.0


class StageFailure(Exception):
    def __init__(self, stage, message):
        super().__init__(message)
        self.stage = stage


class Connection:
    def __init__(self, server, user, password, psk, bind=None, timeout=15.0,
                 report=None, log=None):
        self.server = server
        self.user = user
        self.password = password
        self.psk = psk.encode("utf-8") if isinstance(psk, str) else psk
        self.bind = bind
        self.timeout = float(timeout)
        self.report = report or (lambda stage, ok, detail: None)
        self.log = log or (lambda text: None)
        self.result = {"ok": False, "failed_stage": None, "error": "", "address": None,
                       "peer_address": None, "dns": [], "ping_ms": None,
                       "ping_sent": 0, "ping_received": 0, "teardown": None}
        self.transport = self.ike = self.tunnel = self.ppp = None
        self.stage = None
        self.deadline = None
        self.channel_closed = False

    # -- helpers ----------------------------------------------------------------
    def _done(self, stage, detail=""):
        self.report(stage, True, detail)

    def _pump(self, condition, deadline, what):
        """Feed PPP frames to the PPP engine until condition() holds."""
        while not condition():
            self._check_ppp()
            wake = min(deadline, self.ppp.retransmit())
            if time.monotonic() >= deadline:
                raise StageFailure(self.stage, "no %s within the time limit" % what)
            data = self.tunnel.next_frame(wake)
            if data is not None:
                self.ppp.handle(data)
        self._check_ppp()

    def _check_ppp(self):
        if self.ppp.terminated:
            raise StageFailure(self.stage, self.ppp.terminated)

    # -- stages -------------------------------------------------------------------
    def run(self, ping_count=1, ping_target=None, hold=0.0):
        self.deadline = time.monotonic() + self.timeout
        try:
            self._connect(ping_count, ping_target)
            if hold > 0:
                self._hold(hold)
            self.result["ok"] = True
        except StageFailure as e:
            self._fail(e.stage, str(e))
        except ChannelClosed as e:
            self.channel_closed = True
            self._fail(self.stage, str(e))
        except (IkeFailure, L2tpError, PppFailure) as e:
            self._fail(self.stage, str(e))
        except OSError as e:
            self._fail(self.stage, "network error: %s" % e)
        except Exception as e:  # a fault of ours must still end as a report, not a traceback
            self.log(traceback.format_exc())
            self._fail(self.stage, "internal error: %s: %s" % (type(e).__name__, e))
        finally:
            self.result["teardown"] = self._teardown()
        return self.result

    def _fail(self, stage, message):
        self.result["failed_stage"] = stage
        self.result["error"] = message
        self.report(stage, False, message)

    def _connect(self, ping_count, ping_target):
        self.stage = "ike_main_mode"
        self.transport = UdpTransport(self.server, self.bind)
        self.ike = IkeSession(self.transport, self.psk, self.log)
        self.ike.main_mode(self.deadline)
        self._done("ike_main_mode")

        self.stage = "ike_quick_mode"
        inbound, outbound = self.ike.quick_mode(self.deadline)
        self._done("ike_quick_mode", "spi in %s out %s" % (inbound.spi.hex(), outbound.spi.hex()))

        channel = EspChannel(self.transport, self.ike, inbound, outbound, self.log)
        self.stage = "l2tp_tunnel"
        self.tunnel = Tunnel(channel, self.log)
        self.tunnel.open_tunnel(self.deadline)
        self._done("l2tp_tunnel", "tunnel %d/%d" % (self.tunnel.ctl.tunnel_id, self.tunnel.ctl.peer_tunnel_id))

        self.stage = "l2tp_session"
        self.tunnel.open_session(self.deadline)
        self._done("l2tp_session", "session %d/%d" % (self.tunnel.session_id, self.tunnel.peer_session_id))

        self.stage = "lcp"
        self.ppp = Ppp(self.tunnel.send_frame, self.user, self.password, self.log)
        self.ppp.start_lcp()
        self._pump(lambda: self.ppp.lcp_open, self.deadline, "LCP agreement")
        if self.ppp.auth_protocol != b"\xc2\x23\x81":
            raise StageFailure("lcp", "server did not agree to MS-CHAPv2")
        self._done("lcp")

        self.stage = "mschapv2"
        self._pump(lambda: self.ppp.auth_ok or self.ppp.auth_failure, self.deadline,
                   "MS-CHAPv2 result")
        if self.ppp.auth_failure:
            raise StageFailure("mschapv2", self.ppp.auth_failure)
        self._done("mschapv2")

        self.stage = "ipcp"
        self.ppp.start_ipcp()
        self._pump(lambda: self.ppp.ipcp_open, self.deadline, "IPCP agreement")
        address = self.ppp.address()
        if not address or address == "0.0.0.0":
            raise StageFailure("ipcp", "server gave no address")
        self.result.update(address=address, peer_address=self.ppp.peer_address, dns=self.ppp.dns())
        self._done("ipcp", "address %s peer %s dns %s" % (address, self.ppp.peer_address,
                                                            ",".join(self.ppp.dns()) or "-"))

        self.stage = "ping"
        self._ping(ping_target or self.ppp.peer_address or SECURENAT_GATEWAY, max(1, ping_count))

    def _ping(self, target, count):
        ident = secrets.randbits(16)
        times = []
        for seq in range(1, count + 1):
            if time.monotonic() >= self.deadline:
                break
            payload = os.urandom(32)
            sent_at = time.monotonic()
            self.ppp.send_ip(ipv4.icmp_echo(self.result["address"], target, ident, seq, payload))
            self.result["ping_sent"] += 1
            wait_until = min(self.deadline, sent_at + PING_WAIT)

            def answered():
                while self.ppp.ip_inbox:
                    reply = ipv4.parse_echo_reply(self.ppp.ip_inbox.pop(0))
                    if reply == (target, ident, seq):
                        return True
                return False
            try:
                self._pump(answered, wait_until, "echo reply")
                times.append((time.monotonic() - sent_at) * 1000.0)
            except StageFailure:
                if self.ppp.terminated:
                    raise
        self.result["ping_received"] = len(times)
        if not times:
            raise StageFailure("ping", "no echo reply from %s" % target)
        self.result["ping_ms"] = round(sum(times) / len(times), 3)
        self._done("ping", "%s %d/%d replies avg %.3f ms" % (target, len(times), self.result["ping_sent"],
                                                             self.result["ping_ms"]))

    def _hold(self, seconds):
        """Stay connected, answering keepalives, and notice if the server ends it."""
        self.stage = "hold"
        end = time.monotonic() + seconds
        while time.monotonic() < end:
            self._check_ppp()
            data = self.tunnel.next_frame(end)
            if data is not None:
                self.ppp.handle(data)
        self._check_ppp()
        self._done("hold", "%.1f s" % seconds)

    # -- teardown --------------------------------------------------------------------
    def _teardown(self):
        """Best effort, bounded: LCP Terminate, CDN and StopCCN, IKE deletes."""
        notes = []
        limit = time.monotonic() + TEARDOWN_LIMIT
        try:
            if self.channel_closed:
                pass  # the server already dropped the ESP SAs; nothing would arrive
            elif self.ppp is not None and self.tunnel.session_up and not self.ppp.terminated:
                self.ppp.terminate()
                wait = min(limit, time.monotonic() + 1.0)
                while not self.ppp.term_acked and not self.ppp.terminated:
                    data = self.tunnel.next_frame(wait)
                    if data is None:
                        notes.append("no Terminate-Ack")
                        break
                    self.ppp.handle(data)
            if self.tunnel is not None and not self.channel_closed and not self.tunnel.close(limit):
                notes.append("StopCCN not acknowledged")
        except (L2tpError, ChannelClosed, PppFailure, OSError) as e:
            notes.append(str(e))
        try:
            if self.ike is not None:
                self.ike.delete_all()
        except OSError as e:
            notes.append("IKE delete: %s" % e)
        finally:
            if self.transport is not None:
                self.transport.close()
        text = "ok" if not notes else "; ".join(notes)
        if self.ike is not None and self.ike.phase1_iv is not None:
            self.report("teardown", not notes, "" if not notes else text)
        return text


def connect(server, user, password, psk, bind=None, timeout=15, ping_count=1,
            ping_target=None, hold=0.0, report=None, log=None):
    """Connect, authenticate, ping, optionally hold, and tear down.
    Returns the result dict; never raises for protocol or network trouble."""
    conn = Connection(server, user, password, psk, bind, timeout, report, log)
    return conn.run(ping_count=ping_count, ping_target=ping_target, hold=hold)
