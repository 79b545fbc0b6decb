#!/usr/bin/python3
"""A pyftpdlib FTP server for tests and the demo: virtual users with their own
homes and permissions, every command and reply logged, optional throttling.
Prints READY once it listens; SIGTERM or SIGINT stop it cleanly.

Runs under Debian's /usr/bin/python3, the only interpreter with pyftpdlib."""

import logging
import os
import signal
import sys

sys.dont_write_bytecode = True  # keep __pycache__ out of the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import ftpaccounts  # noqa: E402

from pyftpdlib.authorizers import DummyAuthorizer  # noqa: E402
from pyftpdlib.handlers import DTPHandler, FTPHandler, ThrottledDTPHandler  # noqa: E402
from pyftpdlib.servers import FTPServer  # noqa: E402


def configure_log(path):
    handler = logging.FileHandler(path, encoding="utf-8")
    handler.setFormatter(logging.Formatter("%(asctime)s %(message)s"))
    logger = logging.getLogger("pyftpdlib")
    logger.setLevel(logging.DEBUG)  # DEBUG is what makes pyftpdlib log every command and reply
    logger.addHandler(handler)
    logger.propagate = False


def make_handler(args):
    authorizer = DummyAuthorizer()
    for a in args.accounts:
        os.makedirs(a.home, exist_ok=True)
        authorizer.add_user(a.user, a.password, a.home, perm=a.perms)

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    # Tests log in with wrong passwords on purpose; the 3 s default would only slow them.
    Handler.auth_failed_timeout = 0
    Handler.banner = "pyftpdlib ready."
    if args.passive_range:
        Handler.passive_ports = range(args.passive_range[0], args.passive_range[1] + 1)
    if args.throttle_down or args.throttle_up:
        class Throttled(ThrottledDTPHandler):
            pass
        Throttled.read_limit = args.throttle_up
        Throttled.write_limit = args.throttle_down
        Handler.dtp_handler = Throttled
    else:
        Handler.dtp_handler = DTPHandler
    return Handler


def main():
    try:
        args = ftpaccounts.parse_args("pyftpdlib server with virtual users")
        os.makedirs(args.root, exist_ok=True)
        configure_log(args.log)
        handler = make_handler(args)
        server = FTPServer((args.address, args.port), handler)
    except (OSError, ValueError) as e:
        ftpaccounts.fail("pyftpd_server: %s" % e)

    def stop(signum, frame):
        raise SystemExit(0)

    watch = ftpaccounts.ParentWatch()

    def stop_if_orphaned():
        if watch.orphaned():
            raise SystemExit(0)

    signal.signal(signal.SIGTERM, stop)
    signal.signal(signal.SIGINT, stop)
    server.ioloop.call_every(0.5, stop_if_orphaned)
    ftpaccounts.announce_ready()
    # handle_exit turns the SystemExit into an orderly close of every socket.
    server.serve_forever(timeout=0.5, handle_exit=True)
    ftpaccounts.cleanup_after_orphaning(args, watch)
    return 0


if __name__ == "__main__":
    sys.exit(main())
