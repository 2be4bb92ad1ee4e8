#!/usr/bin/python3
"""Test L2TP/IPsec client.

    client.py --server IP --user NAME [--bind SOURCE_IP] [--timeout SECONDS]
              [--ping-count N] [--ping-target IP] [--hold SECONDS] [--verbose]

Standard input: first line the pre-shared key, second line the password.
Prints "stage <name> ok|failed <detail>" lines, then one JSON result line.
Exit status: 0 connected and pinged, 1 a stage failed, 2 usage error."""

import argparse
import ipaddress
import json
import os
import sys

sys.dont_write_bytecode = True  # keep the source tree clean
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from session import connect  # noqa: E402

__all__ = ["connect"]


def _address(text):
    try:
        return str(ipaddress.IPv4Address(text))
    except ValueError:
        raise argparse.ArgumentTypeError("not an IPv4 address: %r" % text)


def _positive(kind):
    def parse(text):
        try:
            value = kind(text)
        except ValueError:
            raise argparse.ArgumentTypeError("not a number: %r" % text)
        if value < 0 or (kind is int and value == 0):
            raise argparse.ArgumentTypeError("out of range: %r" % text)
        return value
    return parse


def _parse_args(argv):
    p = argparse.ArgumentParser(description="L2TP/IPsec test client (secrets on standard input)")
    p.add_argument("--server", required=True, type=_address)
    p.add_argument("--bind", type=_address, help="source address")
    p.add_argument("--timeout", type=_positive(float), default=15.0,
                   help="limit for the whole connection set-up, in seconds")
    p.add_argument("--user", required=True)
    p.add_argument("--ping-count", type=_positive(int), default=1)
    p.add_argument("--ping-target", type=_address,
                   help="default: the server's end of the link, else 192.168.30.1")
    p.add_argument("--hold", type=_positive(float), default=0.0,
                   help="stay connected this long after the ping")
    p.add_argument("--verbose", action="store_true", help="protocol trace on standard error")
    args = p.parse_args(argv)
    if args.timeout == 0:
        p.error("--timeout must be above 0")
    if not args.user or any(ord(c) < 32 for c in args.user):
        p.error("--user must be a non-empty name without control characters")
    return p, args


def _read_secrets(parser):
    # Two lines and no more, so a caller may keep standard input open.
    psk = sys.stdin.readline().rstrip("\r\n")
    password = sys.stdin.readline().rstrip("\r\n")
    if not psk or not password:
        parser.error("standard input must hold the pre-shared key on line 1 and the password on line 2")
    return psk, password


def main(argv=None):
    parser, args = _parse_args(argv)
    psk, password = _read_secrets(parser)

    def report(stage, ok, detail):
        line = "stage %s %s" % (stage, "ok" if ok else "failed")
        if detail:
            line += " " + " ".join(detail.split())
        print(line, flush=True)

    log = (lambda text: print(text, file=sys.stderr, flush=True)) if args.verbose else None
    result = connect(args.server, args.user, password, psk, bind=args.bind, timeout=args.timeout,
                     ping_count=args.ping_count, ping_target=args.ping_target, hold=args.hold,
                     report=report, log=log)
    print(json.dumps(result), flush=True)
    return 0 if result["ok"] else 1


if __name__ == "__main__":
    sys.exit(main())
