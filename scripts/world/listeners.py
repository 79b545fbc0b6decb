#!/usr/bin/python3
"""Loopback listeners of the local world: web servers and the bare TCP
endpoints the port test probes. One process, one thread per listener.

  listeners.py [--log FILE] --http ADDR:PORT:DOCROOT ... --hold ADDR:PORT ...
               --close ADDR:PORT ...

--http   serves the files below DOCROOT (GET and HEAD), with Content-Length;
--hold   accepts and keeps the connection open, silent, until the peer closes;
--close  accepts and closes at once without sending a byte.
Prints READY once every socket listens; SIGTERM or SIGINT stop it, and so does
the end of the process that started it."""

import argparse
import functools
import http.server
import os
import signal
import socket
import sys
import threading
import time

sys.dont_write_bytecode = True


def endpoint(text, with_root=False):
    parts = text.split(":", 2)
    if len(parts) != (3 if with_root else 2):
        raise argparse.ArgumentTypeError("expected ADDR:PORT%s, got %r" % (":DOCROOT" if with_root else "", text))
    address, port = parts[0], int(parts[1])
    if not address.startswith("127."):
        raise argparse.ArgumentTypeError("%s is not a loopback address" % address)
    return (address, port, parts[2]) if with_root else (address, port)


class Log:
    def __init__(self, path):
        self.lock = threading.Lock()
        self.file = open(path, "a", encoding="utf-8") if path else None

    def __call__(self, text):
        if self.file:
            with self.lock:
                self.file.write("%s %s\n" % (time.strftime("%H:%M:%S"), text))
                self.file.flush()


def listening_socket(address, port):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((address, port))
    s.listen(16)
    return s


def serve_close(sock, log):
    """Port-test endpoint that answers the handshake and hangs up at once."""
    address = "%s:%d" % sock.getsockname()
    while True:
        conn, peer = sock.accept()
        conn.close()
        log("close %s from %s:%d" % (address, *peer))


def hold(conn, log, address):
    with conn:
        try:
            while conn.recv(4096):
                pass
        except OSError:
            pass
    log("hold %s: peer gone" % address)


def serve_hold(sock, log):
    """Port-test endpoint that stays open and says nothing, like a support
    gateway waiting for its client to speak first."""
    address = "%s:%d" % sock.getsockname()
    while True:
        conn, peer = sock.accept()
        log("hold %s from %s:%d" % (address, *peer))
        threading.Thread(target=hold, args=(conn, log, address), daemon=True).start()


class Handler(http.server.SimpleHTTPRequestHandler):
    log_sink = None

    def log_message(self, format, *args):
        if self.log_sink:
            self.log_sink("http %s:%d %s" % (*self.server.server_address, format % args))

    def end_headers(self):
        # The updater asks for a fresh copy each time; say so explicitly.
        self.send_header("Cache-Control", "no-cache")
        super().end_headers()


class HttpServer(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    p = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    p.add_argument("--http", action="append", default=[], type=functools.partial(endpoint, with_root=True))
    p.add_argument("--hold", action="append", default=[], type=endpoint)
    p.add_argument("--close", action="append", default=[], type=endpoint)
    p.add_argument("--log")
    args = p.parse_args()

    log = Log(args.log)
    Handler.log_sink = log
    threads = []
    try:
        for address, port, root in args.http:
            handler = functools.partial(Handler, directory=os.path.abspath(root))
            server = HttpServer((address, port), handler)
            threads.append(threading.Thread(target=server.serve_forever, daemon=True))
        for address, port in args.hold:
            threads.append(threading.Thread(target=serve_hold, args=(listening_socket(address, port), log),
                                            daemon=True))
        for address, port in args.close:
            threads.append(threading.Thread(target=serve_close, args=(listening_socket(address, port), log),
                                            daemon=True))
    except OSError as e:
        print("listeners: %s" % e, file=sys.stderr, flush=True)
        return 2

    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    signal.signal(signal.SIGINT, lambda *_: stop.set())
    for t in threads:
        t.start()
    print("READY", flush=True)
    parent = os.getppid()
    # Daemon threads end with the process; nothing else needs closing.
    while not stop.wait(0.5):
        if os.getppid() != parent:
            break
    return 0


if __name__ == "__main__":
    sys.exit(main())
