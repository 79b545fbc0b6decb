#!/usr/bin/python3
"""One port-test expectation, checked from the client's side.
  ports.py greets|open|closes|refused|unreachable ADDRESS PORT
Exit 0 when the endpoint behaves so, 1 otherwise (with the reason)."""
import select
import socket
import sys

WAIT = 2.0  # upper bound for the peer's greeting or hang-up


def main():
    kind, address, port = sys.argv[1], sys.argv[2], int(sys.argv[3])
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.settimeout(WAIT)
    try:
        s.connect((address, port))
    except ConnectionRefusedError:
        return 0 if kind == "refused" else fail("refused")
    except OSError as e:
        return 0 if kind == "unreachable" else fail("connect: %s" % e)
    if kind in ("refused", "unreachable"):
        return fail("connected")
    if kind == "greets":
        data = s.recv(1024)
        return 0 if data.startswith(b"220") else fail("greeting %r" % data)
    if kind == "closes":
        data = s.recv(1024)  # b"" once the peer has closed; times out otherwise
        return 0 if data == b"" else fail("received %r" % data)
    # open: nothing arrives and the connection is not closed within a short while.
    readable, _, _ = select.select([s], [], [], 0.3)
    if readable:
        return fail("peer sent %r" % s.recv(1024))
    return 0


def fail(reason):
    print(reason, file=sys.stderr)
    return 1


if __name__ == "__main__":
    try:
        sys.exit(main())
    except OSError as e:
        sys.exit(fail(str(e)))
