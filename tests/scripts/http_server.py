#!/usr/bin/env python3
# Test HTTP server on 127.0.0.1.
#   http_server.py start DIR INFO   serves in the background; INFO gets "PORT CLOSED_PORT PID"
#                                   once it listens (nothing listens on CLOSED_PORT)
#   http_server.py stop INFO        stops that server and removes INFO
# Answers by the request's last segment (after "/" or "\", before "?"):
#   cut*     200 announcing all of photo.png, sending its first 30 bytes, then hanging up
#   error*   500, empty body
#   silent*  no answer: hangs up after 2 s
#   *.png / *.jpg   DIR's photo.png / photo.jpg;  anything else: 404 "no such image"
import http.server, os, signal, socket, sys, time


# HTTP/1.0: every connection ends with its answer.
class Handler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        name = self.path.replace("\\", "/").rsplit("/", 1)[-1].split("?")[0].lower()
        photo = lambda ext: open(os.path.join(self.server.folder, "photo" + ext), "rb").read()
        status, body, sent = 404, b"no such image", None
        if name.startswith("silent"):
            return time.sleep(2)
        if name.startswith("cut"):
            status, body, sent = 200, photo(".png"), 30
        elif name.startswith("error"):
            status, body = 500, b""
        elif name.endswith((".png", ".jpg")):
            status, body = 200, photo(name[-4:])
        self.send_response(status)
        self.send_header("Content-Length", str(len(body)))
        self.send_header("Cache-Control", "no-store")
        self.end_headers()
        self.wfile.write(body[:sent])


def start(folder, info):
    if os.path.exists(info):
        os.remove(info)
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
        with open(info + ".tmp", "w") as f:
            f.write("%d %d %d\n" % (server.server_address[1], closed.getsockname()[1], os.getpid()))
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
