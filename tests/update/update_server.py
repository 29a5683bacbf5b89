#!/usr/bin/env python3
"""A scripted update server for the tests, on 127.0.0.1 with a free port.

Prints the port on its first line of output, then serves until killed. Every request is
appended to the log file as one JSON line: method, path, headers (as a list of pairs, in
the order received) and the body in hexadecimal.

The script (a JSON file) says what to answer:
  {"routes": {"/api/updates": {"by_key": {"<app_key>": ANSWER, ...}, "default": ANSWER},
              "/loop": ANSWER, ...},
   "files": {"/files/p.bin": {"size": N, "cut_after": K, "announce": M, "ranges": true}}}
ANSWER: {"status": 200, "body": "text", "body_repeat": n, "delay": seconds,
         "headers": {"Location": "/loop"}}
A file's bytes are i % 251 for i in 0..size-1. "cut_after" ends the first answer after K
bytes of the body (the connection is closed); "announce" lies about the length;
"ranges": false ignores Range requests; "delay" waits before the answer; "chunk" bytes are
sent at a time, "chunk_delay" seconds apart; "status" answers that status with no body.
"""

import json
import socketserver
import ssl
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, HTTPServer
from urllib.parse import parse_qs

script_path, log_path = sys.argv[1], sys.argv[2]
tls = sys.argv[3:5] if len(sys.argv) >= 5 else None
with open(script_path, encoding="utf-8") as f:
    script = json.load(f)
log_lock = threading.Lock()
cut_done = set()


def file_bytes(size, start=0):
    return bytes((i % 251) for i in range(start, size))


class Server(socketserver.ThreadingMixIn, HTTPServer):
    daemon_threads = True
    allow_reuse_address = True

    def handle_error(self, request, client_address):
        pass  # clients that give up early (a full buffer, a cancel) are expected


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def record(self, body):
        entry = {"method": self.command, "path": self.path,
                 "headers": [[k, v] for k, v in self.headers.items()], "body": body.hex()}
        with log_lock, open(log_path, "a", encoding="utf-8") as log:
            log.write(json.dumps(entry) + "\n")

    def read_body(self):
        length = int(self.headers.get("Content-Length", "0") or "0")
        return self.rfile.read(length) if length > 0 else b""

    def answer(self, a):
        if a.get("delay"):
            time.sleep(a["delay"])
        body = a.get("body", "").encode("utf-8") * int(a.get("body_repeat", 1))
        self.send_response(int(a.get("status", 200)))
        for k, v in a.get("headers", {}).items():
            self.send_header(k, v)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        try:
            self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            pass

    def serve_file(self, plan):
        if plan.get("delay"):
            time.sleep(plan["delay"])
        if plan.get("status"):
            self.answer({"status": plan["status"], "body": ""})
            return
        size = int(plan["size"])
        start = 0
        rng = self.headers.get("Range")
        if rng and plan.get("ranges", True) and rng.startswith("bytes="):
            start = int(rng[6:].split("-")[0])
            if start >= size:
                self.send_response(416)
                self.send_header("Content-Range", "bytes */%d" % size)
                self.send_header("Content-Length", "0")
                self.end_headers()
                return
            self.send_response(206)
            self.send_header("Content-Range", "bytes %d-%d/%d" % (start, size - 1, size))
        else:
            self.send_response(200)
        data = file_bytes(size, start)
        announce = int(plan.get("announce", len(data)))
        self.send_header("Content-Type", "application/octet-stream")
        self.send_header("Content-Length", str(announce))
        cut = plan.get("cut_after")
        key = self.path
        if cut is not None and key not in cut_done:
            cut_done.add(key)
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(data[:int(cut)])
            self.wfile.flush()
            self.close_connection = True
            return
        self.end_headers()
        data = data[:announce] if announce < len(data) else data
        chunk = int(plan.get("chunk", 0))
        if not chunk:
            self.wfile.write(data)
            return
        for i in range(0, len(data), chunk):
            self.wfile.write(data[i:i + chunk])
            self.wfile.flush()
            time.sleep(float(plan.get("chunk_delay", 0)))

    def handle_any(self):
        body = self.read_body()
        self.record(body)
        path = self.path.split("?")[0]
        if path in script.get("files", {}):
            self.serve_file(script["files"][path])
            return
        route = script.get("routes", {}).get(path)
        if route is None:
            self.answer({"status": 404, "body": ""})
            return
        if "by_key" in route or "default" in route:
            text = body.rstrip(b"\0").decode("utf-8", "replace")
            key = parse_qs(text).get("app_key", [""])[0]
            route = route.get("by_key", {}).get(key, route.get("default", {"status": 404}))
        self.answer(route)

    do_GET = handle_any
    do_POST = handle_any


server = Server(("127.0.0.1", 0), Handler)
if tls:
    ctx = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    ctx.load_cert_chain(tls[0], tls[1])
    server.socket = ctx.wrap_socket(server.socket, server_side=True)
print(server.server_address[1], flush=True)
server.serve_forever()
