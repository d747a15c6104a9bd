#!/usr/bin/env python3
"""HTTP peer for the client tests: serves on 127.0.0.1 and an ephemeral port, prints the port on its
first line, and exits when its standard input closes (or after a bounded lifetime).

  /data/N      N pattern bytes (byte i = (i * 31 + 7) & 255); honours a single "Range: bytes=" range
  /chunked/N   the same bytes in chunks of varying size, with a chunk extension and a trailer
  /echo        the request head as received, as the body
  /redirect    302 to /data/10
  /slow        declares 10 bytes, sends 3, then waits
  /silent      sends nothing, then waits
  /raw/NAME    a canned, mostly broken, response written as it is, then the connection closes
  anything else: 404
"""
import http.server
import re
import sys
import threading
import time

LIFETIME_SECONDS = 300
STALL_SECONDS = 30


def pattern(n):
    return bytes((i * 31 + 7) & 255 for i in range(n))


RAW = {
    "bad-status": b"HTTP/1.1 abc OK\r\n\r\n",
    "not-http": b"SSH-2.0-OpenSSH_9.2\r\n",
    "header-flood": b"HTTP/1.1 200 OK\r\n" + b"".join(b"X-Flood-%d: v\r\n" % i for i in range(1000)) + b"\r\n",
    "long-line": b"HTTP/1.1 200 OK\r\nX-Long: " + b"a" * 100000 + b"\r\n\r\n",
    "longer-body": b"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n0123456789",
    "shorter-body": b"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789",
    "closed-early": b"HTTP/1.1 200 OK\r\n",
    "empty": b"",
    "bad-chunk": b"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc\r\n0\r\n\r\n",
    "huge-declared": b"HTTP/1.1 200 OK\r\nContent-Length: 1000000000000\r\n\r\nabc",
    "until-close": b"HTTP/1.0 200 OK\r\n\r\nhello until close",
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_HEAD(self):
        self.respond(head=True)

    def do_GET(self):
        self.respond(head=False)

    def respond(self, head):
        path = self.path
        m = re.fullmatch(r"/data/(\d+)", path)
        if m:
            return self.send_data(pattern(int(m.group(1))), head)
        m = re.fullmatch(r"/chunked/(\d+)", path)
        if m:
            return self.send_chunked(pattern(int(m.group(1))), head)
        if path.split("?")[0] == "/echo":
            head_bytes = (self.requestline + "\r\n" + str(self.headers)).encode("latin-1")
            return self.send_body(200, head_bytes, head)
        if path == "/redirect":
            self.send_response(302)
            self.send_header("Location", "/data/10")
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if path == "/slow":
            self.send_response(200)
            self.send_header("Content-Length", "10")
            self.end_headers()
            self.wfile.write(b"abc")
            self.wfile.flush()
            time.sleep(STALL_SECONDS)
            self.close_connection = True
            return
        if path == "/silent":
            time.sleep(STALL_SECONDS)
            self.close_connection = True
            return
        m = re.fullmatch(r"/raw/([a-z-]+)", path)
        if m and m.group(1) in RAW:
            self.wfile.write(RAW[m.group(1)])
            self.wfile.flush()
            self.close_connection = True
            return
        self.send_error(404, "Not Found")

    def send_body(self, status, body, head, extra=()):
        self.send_response(status)
        for name, value in extra:
            self.send_header(name, value)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        if not head:
            self.wfile.write(body)

    def send_data(self, data, head):
        n = len(data)
        spec = self.headers.get("Range")
        m = re.fullmatch(r"bytes=(\d*)-(\d*)", spec.strip()) if spec else None
        if not m or (m.group(1) == "" and m.group(2) == ""):
            return self.send_body(200, data, head)
        if m.group(1) == "":
            first, last = max(0, n - int(m.group(2))), n - 1
        else:
            first = int(m.group(1))
            last = min(int(m.group(2)), n - 1) if m.group(2) else n - 1
        if first >= n or last < first:
            return self.send_body(416, b"", head, [("Content-Range", "bytes */%d" % n)])
        self.send_body(206, data[first:last + 1], head, [("Content-Range", "bytes %d-%d/%d" % (first, last, n))])

    def send_chunked(self, data, head):
        self.send_response(200)
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Trailer", "X-Checked")
        self.end_headers()
        if head:
            return
        sizes = [1, 10, 100, 1000, 4096]
        at, i = 0, 0
        while at < len(data):
            piece = data[at:at + sizes[i % len(sizes)]]
            extension = b";name=value" if i == 2 else b""
            self.wfile.write(b"%x%s\r\n%s\r\n" % (len(piece), extension, piece))
            at += len(piece)
            i += 1
        self.wfile.write(b"0\r\nX-Checked: yes\r\n\r\n")


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    server.daemon_threads = True
    threading.Thread(target=server.serve_forever, daemon=True).start()
    print(server.server_address[1], flush=True)
    # Ends when the test closes our input or dies, or when the lifetime is over.
    watcher = threading.Thread(target=lambda: sys.stdin.read(), daemon=True)
    watcher.start()
    watcher.join(LIFETIME_SECONDS)
    server.shutdown()
    server.server_close()


if __name__ == "__main__":
    main()
