#!/usr/bin/env python3
"""Test HTTP server on 127.0.0.1 for the download tests.

  http_server.py start DATA_DIR INFO_FILE   serves in the background; INFO_FILE gets
                                             "PORT CLOSED_PORT PID" once it listens
  http_server.py stop INFO_FILE             stops that server and removes INFO_FILE

Answers by what follows the last "/" or "\" of the request target, up to a "?":
  *.png / *.jpg / *.jpeg   photo.png / photo.jpg from DATA_DIR
  error*                   500 with an empty body
  cut*                     200 announcing all of photo.png but sending its first 30 bytes
  anything else            404 with the body "no such image"
CLOSED_PORT is a port that was free when the server started: nothing listens there.
"""
import http.server
import os
import signal
import socket
import sys
import time
import urllib.parse


def make_handler(data_dir):
    def read(name):
        with open(os.path.join(data_dir, name), "rb") as f:
            return f.read()

    class Handler(http.server.BaseHTTPRequestHandler):
        protocol_version = "HTTP/1.1"

        def log_message(self, *args):
            pass

        def answer(self, status, body, content_type, send=None):
            self.send_response(status)
            self.send_header("Content-Type", content_type)
            self.send_header("Content-Length", str(len(body)))
            self.send_header("Cache-Control", "no-store")
            if send is not None:
                self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(body if send is None else body[:send])
            self.wfile.flush()
            if send is not None:
                self.close_connection = True

        def do_GET(self):
            segment = self.path.replace("\\", "/").rsplit("/", 1)[-1].split("?", 1)[0].lower()
            if segment.startswith("cut"):
                self.answer(200, read("photo.png"), "image/png", send=30)
            elif segment.startswith("error"):
                self.answer(500, b"", "text/plain")
            elif segment.endswith(".png"):
                self.answer(200, read("photo.png"), "image/png")
            elif segment.endswith(".jpg") or segment.endswith(".jpeg"):
                self.answer(200, read("photo.jpg"), "image/jpeg")
            else:
                self.answer(404, b"no such image", "text/plain")

    return Handler


def closed_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def start(data_dir, info):
    if os.path.exists(info):
        os.remove(info)
    if os.fork() == 0:
        # Detached twice and holding none of the caller's descriptors, so that whoever
        # waits for this command's output and its children is not kept waiting.
        os.setsid()
        if os.fork() != 0:
            os._exit(0)
        devnull = os.open(os.devnull, os.O_RDWR)
        for fd in (0, 1, 2):
            os.dup2(devnull, fd)
        os.closerange(3, 1024)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), make_handler(data_dir))
        server.daemon_threads = True
        tmp = info + ".tmp"
        with open(tmp, "w") as f:
            f.write("%d %d %d\n" % (server.server_address[1], closed_port(), os.getpid()))
        os.rename(tmp, info)
        server.serve_forever()
        os._exit(0)
    for _ in range(200):
        if os.path.exists(info):
            print(open(info).read().strip())
            return 0
        time.sleep(0.05)
    print("server did not start", file=sys.stderr)
    return 1


def stop(info):
    try:
        pid = int(open(info).read().split()[2])
    except (OSError, IndexError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    os.remove(info)
    return 0


if __name__ == "__main__":
    if len(sys.argv) == 4 and sys.argv[1] == "start":
        sys.exit(start(sys.argv[2], sys.argv[3]))
    if len(sys.argv) == 3 and sys.argv[1] == "stop":
        sys.exit(stop(sys.argv[2]))
    print(__doc__, file=sys.stderr)
    sys.exit(2)
