"""Command line shared by the local FTP server launchers: accounts, homes,
passive ports, throttling, the command log and the READY handshake."""

import argparse
import json
import os
import shutil
import sys
from dataclasses import dataclass

# pyftpdlib permission letters; the vsftpd launcher maps them onto its own options.
ALL_PERMS = "elradfmwMT"


@dataclass
class Account:
    user: str
    password: str
    perms: str
    home: str


def parse_account(text, root):
    """"user:pass:perms[:home]"; perms may be empty for "elradfmw"."""
    parts = text.split(":", 3)
    if len(parts) < 2:
        raise ValueError("account %r: expected user:pass[:perms[:home]]" % text)
    user, password = parts[0], parts[1]
    perms = parts[2] if len(parts) > 2 and parts[2] else "elradfmw"
    home = parts[3] if len(parts) > 3 and parts[3] else os.path.join(root, "homes", user)
    return Account(user, password, perms, home)


def load_accounts_json(path, root):
    """[{"user": ..., "password": ..., "perms": ..., "home": ...}, ...]"""
    with open(path, encoding="utf-8") as f:
        items = json.load(f)
    accounts = []
    for item in items:
        user = item["user"]
        accounts.append(Account(user, item["password"], item.get("perms") or "elradfmw",
                                item.get("home") or os.path.join(root, "homes", user)))
    return accounts


def validate(accounts):
    seen = set()
    for a in accounts:
        if a.user in ("", ".", "..") or any(c in a.user for c in "/\\\n\r\0 :"):
            raise ValueError("invalid user name %r" % a.user)
        if a.user in seen:
            raise ValueError("duplicate user %r" % a.user)
        seen.add(a.user)
        bad = set(a.perms) - set(ALL_PERMS)
        if bad:
            raise ValueError("user %r: unknown permission letters %r" % (a.user, "".join(sorted(bad))))
        if "\n" in a.password or "\r" in a.password:
            raise ValueError("user %r: password with a line break" % a.user)


def parse_port_range(text):
    lo, _, hi = text.partition("-")
    lo, hi = int(lo), int(hi or lo)
    if not (1024 <= lo <= hi <= 65535):
        raise ValueError("bad passive port range %r" % text)
    return lo, hi


def build_parser(description):
    p = argparse.ArgumentParser(description=description)
    p.add_argument("--address", required=True, help="loopback address to listen on, e.g. 127.0.1.10")
    p.add_argument("--port", type=int, default=21)
    p.add_argument("--root", required=True,
                   help="working directory of this server (logs, config; default homes under ROOT/homes)")
    p.add_argument("--user", action="append", default=[], metavar="USER:PASS[:PERMS[:HOME]]")
    p.add_argument("--users-json", help="JSON list of {user, password, perms, home}")
    p.add_argument("--passive-ports", help="LOW-HIGH passive port range (default: any free port)")
    p.add_argument("--throttle-down", type=int, default=0, help="bytes/s for downloads (0 = unlimited)")
    p.add_argument("--throttle-up", type=int, default=0, help="bytes/s for uploads (0 = unlimited)")
    p.add_argument("--log", help="command/reply log file (default ROOT/commands.log)")
    p.add_argument("--owned-root", action="store_true",
                   help="ROOT is a temporary directory of the parent's: delete it if the parent dies first")
    return p


def parse_args(description, argv=None):
    args = build_parser(description).parse_args(argv)
    args.root = os.path.abspath(args.root)
    accounts = [parse_account(s, args.root) for s in args.user]
    if args.users_json:
        accounts += load_accounts_json(args.users_json, args.root)
    if not accounts:
        raise SystemExit("no accounts given (--user or --users-json)")
    validate(accounts)
    args.accounts = accounts
    args.passive_range = parse_port_range(args.passive_ports) if args.passive_ports else None
    if args.throttle_down < 0 or args.throttle_up < 0:
        raise SystemExit("throttle rates must not be negative")
    if not args.log:
        args.log = os.path.join(args.root, "commands.log")
    return args


class ParentWatch:
    """Notices that whoever started us has gone (the test process was killed,
    say by a ctest timeout), so that no server outlives it and blocks its
    address for the next run."""

    def __init__(self):
        self.parent = os.getppid()

    def orphaned(self):
        return os.getppid() != self.parent


def cleanup_after_orphaning(args, watch):
    if args.owned_root and watch.orphaned():
        shutil.rmtree(args.root, ignore_errors=True)


def announce_ready():
    print("READY", flush=True)


def fail(message):
    print(message, file=sys.stderr, flush=True)
    sys.exit(2)
