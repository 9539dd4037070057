#!/usr/bin/env python3
# Test HTTP server on 127.0.0.1, with the same answers over TLS for "localhost".
#   http_server.py start DIR INFO   serves in the background; INFO gets "PORT CLOSED_PORT PID
#                                   TLS UNTRUSTED OTHER_NAME MUTE" once it listens (nothing
#                                   listens on CLOSED_PORT; MUTE takes connections, never
#                                   answers, and hangs up after 3 s)
#   http_server.py stop INFO        stops that server and removes INFO
# TLS: a throwaway authority (INFO's folder/tls/ca.der, for the tests to trust) signs TLS's
# certificate and OTHER_NAME's (for elsewhere.test); another one signs UNTRUSTED's.
# Answers: ...?to=URL redirects there (301 from a "moved" segment, 308 from "kept", else
# 302). Else by the
# request's last segment (after "/" or "\", before "?"), percent-decoded as UTF-8; an address
# with raw bytes outside ASCII, or percent-encoded bytes that are not UTF-8, gets 400:
#   unsized* photo.png without its length
#   cut*     200 announcing all of photo.png, sending its first 30 bytes, then hanging up
#   stuck*   the same, but silent for a minute instead of hanging up
#   pause*   photo.png, silent for 0.8 s after its first 30 bytes
#   declaredN  200 announcing N bytes, then silent for a minute: not one byte of body
#   error*   500, empty body
#   silent*  no answer: hangs up after 2 s;  stall*  no answer for a minute
#   hopN.png redirects to hop(N-1).png, hop0.png is photo.png
#   *.png / *.jpg   DIR's photo.png / photo.jpg;  anything else: 404 "no such image"
import http.server, os, signal, socket, ssl, subprocess, sys, threading, time, urllib.parse


# HTTP/1.0: every connection ends with its answer.
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        name = self.path.replace("\\", "/").rsplit("/", 1)[-1].split("?")[0]
        try:
            if any(ord(c) > 0x7E for c in self.path): raise ValueError
            name = urllib.parse.unquote(name, errors="strict").lower()
        except ValueError:
            self.send_response(400)
            return self.end_headers()
        photo = lambda ext: open(os.path.join(self.server.folder, "photo" + ext), "rb").read()
        status, body, sent = 404, b"no such image", None
        if "?to=" in self.path:
            self.send_response(301 if "/moved?" in self.path else 308 if "/kept?" in self.path else 302)
            self.send_header("Location", self.path.split("?to=", 1)[1])
            return self.end_headers()
        if name.startswith(("silent", "stall")):
            return time.sleep(2 if name.startswith("silent") else 60)
        if name.startswith(("stuck", "pause")):
            body = photo(".png")
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[:30])
            time.sleep(60 if name.startswith("stuck") else 0.8)
            return self.wfile.write(body[30:])  # the client may be gone
        if name.startswith("declared") and name[8:].isdigit():
            self.send_response(200)
            self.send_header("Content-Length", name[8:])
            self.end_headers()
            return time.sleep(60)
        if name.startswith("hop") and name[3:-4].isdigit() and int(name[3:-4]) > 0:
            self.send_response(302)
            self.send_header("Location", "hop%d.png" % (int(name[3:-4]) - 1))
            return self.end_headers()
        if name.startswith("cut"):
            status, body, sent = 200, photo(".png"), 30
        elif name.startswith("unsized"):  # photo.png, its length not announced
            status, body = 200, photo(".png")
        elif name.startswith("error"):
            status, body = 500, b""
        elif name.endswith((".png", ".jpg")):
            status, body = 200, photo(name[-4:])
        self.send_response(status)
        if not name.startswith("unsized"):
            self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body[:sent])


def make_certificates(tls):
    os.makedirs(tls, exist_ok=True)
    run = lambda *args: subprocess.run(("openssl",) + args, cwd=tls, check=True, capture_output=True)
    for ca in ("ca", "stranger"):
        run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", ca + ".key", "-out", ca + ".pem", "-days", "2",
            "-subj", "/CN=Pixet test " + ca, "-addext", "basicConstraints=critical,CA:TRUE")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "leaf.key", "-out", "leaf.csr", "-subj", "/CN=localhost")
    for leaf, ca, name in (("tls", "ca", "localhost"), ("untrusted", "stranger", "localhost"),
                           ("other", "ca", "elsewhere.test")):
        with open(os.path.join(tls, leaf + ".ext"), "w") as f:
            f.write("subjectAltName=DNS:%s\n" % name)
        run("x509", "-req", "-in", "leaf.csr", "-CA", ca + ".pem", "-CAkey", ca + ".key", "-CAcreateserial",
            "-days", "2", "-extfile", leaf + ".ext", "-out", leaf + ".pem")
    run("x509", "-in", "ca.pem", "-outform", "der", "-out", "ca.der")


def serve_tls(folder, tls, leaf):
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.folder, server.daemon_threads = folder, True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(tls, leaf + ".pem"), os.path.join(tls, "leaf.key"))
    # The handshake runs on the request's thread: a client that stalls it stalls no other.
    server.socket = context.wrap_socket(server.socket, server_side=True, do_handshake_on_connect=False)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server.server_address[1]


def hang_up_later(listening):
    while True:
        connection, _ = listening.accept()
        threading.Timer(3, connection.close).start()


def start(folder, info):
    if os.path.exists(info):
        os.remove(info)
    tls = os.path.join(os.path.dirname(os.path.abspath(info)), "tls")
    make_certificates(tls)
    if os.fork() == 0:
        # Detached twice, holding none of the caller's descriptors: whoever waits for this
        # command's output and children is not kept waiting.
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
        os.closerange(3, 1024)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        server.folder, server.daemon_threads = folder, True
        closed = socket.socket()  # bound for good and never listening: connections are refused
        closed.bind(("127.0.0.1", 0))
        mute = socket.socket()  # takes connections, never answers, hangs up after 3 s
        mute.bind(("127.0.0.1", 0))
        mute.listen(64)
        threading.Thread(target=hang_up_later, args=(mute,), daemon=True).start()
        secure = [serve_tls(folder, tls, leaf) for leaf in ("tls", "untrusted", "other")]
        with open(info + ".tmp", "w") as f:
            f.write("%d %d %d %d %d %d %d\n" % ((server.server_address[1], closed.getsockname()[1], os.getpid()) +
                                               tuple(secure) + (mute.getsockname()[1],)))
        os.rename(info + ".tmp", info)
        server.serve_forever()
    for _ in range(200):
        if os.path.exists(info):
            return print(open(info).read().strip())
        time.sleep(0.05)
    sys.exit("server did not start")


def stop(info):
    try:
        pid = int(open(info).read().split()[2])
        os.remove(info)
        os.kill(pid, signal.SIGTERM)
    except (OSError, ValueError, IndexError):
        pass


if __name__ == "__main__":
    if sys.argv[1:2] == ["start"] and len(sys.argv) == 4:
        start(sys.argv[2], sys.argv[3])
    elif sys.argv[1:2] == ["stop"] and len(sys.argv) == 3:
        stop(sys.argv[2])
    else:
        sys.exit("usage: http_server.py start DIR INFO | stop INFO")
