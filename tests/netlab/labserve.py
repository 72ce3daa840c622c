#!/usr/bin/python3
"""Small servers of the network lab, one process per namespace.

  labserve.py web READY LISTENER...   HTTP/HTTPS/silent listeners, one per LISTENER:
      http:ADDR:PORT:ROOT          GET answers 200 with the file below ROOT ("/" -> "ok")
      https:ADDR:PORT:CHAIN:KEY    the same over TLS; CHAIN is the PEM the server sends
      silent:ADDR:PORT             accepts, reads, never answers
      garbage:ADDR:PORT            accepts, writes bytes that are not HTTP, reads the request, closes
      close:ADDR:PORT              accepts and closes its side at once (FIN), then drains and closes
  labserve.py servfail READY ADDR PORT   a DNS server answering SERVFAIL to every query
  labserve.py query SERVER NAME ADDRESS   exit 0 when SERVER answers NAME's A query with ADDRESS

READY is written once every listener is bound. The process ends on SIGTERM.
"""
import http.server
import os
import signal
import socket
import ssl
import sys
import threading


class Handler(http.server.BaseHTTPRequestHandler):
    root = "."
    protocol_version = "HTTP/1.1"

    def do_GET(self):
        path = self.path.split("?", 1)[0]
        body = b"ok\n"
        ctype = "text/plain"
        if path not in ("/", ""):
            name = os.path.join(self.server.root, os.path.basename(path))
            if not os.path.isfile(name):
                self.send_error(404)
                return
            with open(name, "rb") as f:
                body = f.read()
            if name.endswith(".pac"):
                ctype = "application/x-ns-proxy-autoconfig"
        self.send_response(200)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (self.server.label, fmt % args))


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def silent_listener(addr, port):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((addr, port))
    s.listen(16)
    held = []

    def loop():
        while True:
            conn, _ = s.accept()
            held.append(conn)  # kept open, never answered

    threading.Thread(target=loop, daemon=True).start()
    return s


# Fixed bytes, so that every run sees the same answer; never "HTTP/".
GARBAGE = bytes((i * 151 + 7) % 256 for i in range(600))
assert not GARBAGE.startswith(b"HTTP")


def drain(conn, limit_s):
    """Reads what the client sends until it closes or limit_s passes: data left
    unread at close would turn the close into a reset."""
    conn.settimeout(limit_s)
    try:
        while conn.recv(65536):
            pass
    except OSError:
        pass


def rude_listener(addr, port, garbage):
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    s.bind((addr, port))
    s.listen(16)

    def serve(conn):
        with conn:
            try:
                if garbage:
                    conn.sendall(GARBAGE)
                conn.shutdown(socket.SHUT_WR)
            except OSError:
                return
            drain(conn, 30)

    def loop():
        while True:
            conn, _ = s.accept()
            threading.Thread(target=serve, args=(conn,), daemon=True).start()

    threading.Thread(target=loop, daemon=True).start()
    return s


def web(ready, listeners):
    keep = []
    for listener in listeners:
        parts = listener.split(":")
        kind, addr, port = parts[0], parts[1], int(parts[2])
        if kind == "silent":
            keep.append(silent_listener(addr, port))
            continue
        if kind in ("garbage", "close"):
            keep.append(rude_listener(addr, port, kind == "garbage"))
            continue
        srv = Server((addr, port), Handler)
        srv.label = listener
        if kind == "http":
            srv.root = parts[3]
        elif kind == "https":
            ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
            ctx.load_cert_chain(parts[3], parts[4])
            srv.socket = ctx.wrap_socket(srv.socket, server_side=True)
            srv.root = "."
        else:
            raise SystemExit("unknown listener " + listener)
        threading.Thread(target=srv.serve_forever, daemon=True).start()
        keep.append(srv)
    return keep


def servfail(addr, port):
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.bind((addr, port))

    def loop():
        while True:
            data, peer = s.recvfrom(4096)
            if len(data) < 12:
                continue
            # Same id and question, QR set, RCODE 2 (server failure), no records.
            flags = 0x8000 | (data[2] & 0x79) << 8 | 0x0080 | 2
            answer = data[:2] + flags.to_bytes(2, "big") + data[4:6] + b"\0\0\0\0\0\0"
            end = 12
            while end < len(data) and data[end] != 0:
                end += data[end] + 1
            s.sendto(answer + data[12:end + 5], peer)

    threading.Thread(target=loop, daemon=True).start()
    return s


def query(server, name, address):
    q = b"\x12\x34\x01\x00\x00\x01\x00\x00\x00\x00\x00\x00"
    for label in name.split("."):
        q += bytes([len(label)]) + label.encode()
    q += b"\0\0\x01\0\x01"
    s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    s.settimeout(1)
    s.sendto(q, (server, 53))
    data, _ = s.recvfrom(4096)
    return socket.inet_aton(address) in data[len(q):]


def main():
    if len(sys.argv) >= 5 and sys.argv[1] == "query":
        try:
            sys.exit(0 if query(*sys.argv[2:5]) else 1)
        except OSError:
            sys.exit(1)
    if len(sys.argv) < 3:
        raise SystemExit(__doc__)
    mode, ready = sys.argv[1], sys.argv[2]
    done = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: done.set())
    signal.signal(signal.SIGINT, lambda *_: done.set())
    if mode == "web":
        keep = web(ready, sys.argv[3:])
    elif mode == "servfail":
        keep = servfail(sys.argv[3], int(sys.argv[4]))
    else:
        raise SystemExit(__doc__)
    with open(ready + ".tmp", "w") as f:
        f.write("ready\n")
    os.rename(ready + ".tmp", ready)
    done.wait()
    del keep


if __name__ == "__main__":
    main()
