#!/usr/bin/env python3
"""The local device service for tests and the demo: real HTTPS on loopback.

Serves the three device-service resources and package files, and fails on
request. What each path answers comes from a JSON script file that the tests
rewrite between cases (read anew on every request):

  {"/api/rx/QuilloRXApp": {"status": 200, "body": "{...}"},
   "/files/rx.exe":      {"file": "rx.exe", "length": "omit", "cut_after": 4096}}

Per path: status (200), body (text) or body_hex or file (under --files),
drop (close the connection without answering),
length ("omit", a number to announce instead of the real one), cut_after
(close the connection after that many body bytes), delay_ms (before answering),
chunk_delay_ms (between 64 KiB chunks), headers (more answer headers, such
as a redirect's Location or Retry-After), ranges (announce Accept-Ranges and
an ETag, answer "Range: bytes=N-" with 206 unless If-Range names another
ETag; with weak_etag the ETag is a weak one; with ignore_if_range a
Range is answered whatever If-Range names, as a broken cache would), stall_after and stall_ms (send that many body bytes, then nothing
for that long), trickle_ms (send the body one byte at a time, that long
apart). A path's rule may instead be {"sequence": [rule, ...]}: the
first request gets the first rule, and so on, the last one for the rest. A path with a query matches its key
with the query, else its key without. Unknown paths answer 404. Every request
line and its headers are appended to --log as one JSON line (a request
line naming the whole address, as one sent through a proxy's tunnel may,
is read and logged as its path).

It listens on four ports from --port: the certificate for localhost, one for
another host name, an expired one, and one from a CA nobody trusts.
"""
import argparse
import hashlib
import json
import os
import socket
import ssl
import threading
import time
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"

    def log_message(self, fmt, *args):  # quiet; requests go to the JSON log
        pass

    def do_GET(self):
        cfg = self.server.config
        # Inside a proxy's tunnel a request may name the whole address (RFC 7230, 5.3.2).
        if self.path.startswith(("https://", "http://")):
            rest = self.path.split("://", 1)[1]
            self.path = "/" + rest.split("/", 1)[1] if "/" in rest else "/"
            self.requestline = "%s %s %s" % (self.command, self.path, self.request_version)
        with cfg["lock"]:
            with open(cfg["log"], "a") as log:
                log.write(json.dumps({"port": self.server.server_address[1], "line": self.requestline,
                                      "headers": list(self.headers.items())}) + "\n")
        rule = self.rule()
        if rule is not None and "sequence" in rule:
            try:  # a new script starts every sequence afresh
                key = (os.stat(cfg["script"]).st_mtime_ns, self.path)
            except OSError:
                key = (0, self.path)
            with cfg["lock"]:
                count = cfg["counts"].get(key, 0)
                cfg["counts"][key] = count + 1
            rule = rule["sequence"][min(count, len(rule["sequence"]) - 1)]
        if rule is None:
            return self.answer(404, b"<html><body>not found</body></html>", {})
        time.sleep(rule.get("delay_ms", 0) / 1000.0)
        if rule.get("drop"):  # as if the service went away: no answer at all
            self.connection.shutdown(socket.SHUT_RDWR)
            self.close_connection = True
            return
        if "file" in rule:
            with open(os.path.join(cfg["files"], rule["file"]), "rb") as f:
                body = f.read()
        elif "body_hex" in rule:
            body = bytes.fromhex(rule["body_hex"])
        else:
            body = rule.get("body", "").encode("utf-8")
        self.answer(rule.get("status", 200), body, rule)

    def rule(self):
        try:
            with open(self.server.config["script"], encoding="utf-8") as f:
                script = json.load(f)
        except (OSError, ValueError):
            script = {}
        # A path with characters outside ASCII may come as UTF-8 or %-escaped UTF-8.
        path = urllib.parse.unquote(self.path.encode("latin-1").decode("utf-8", "replace"))
        for key in (self.path, path):
            for candidate in (key, key.split("?", 1)[0]):
                if candidate in script:
                    return script[candidate]
        return None

    def answer(self, status, body, rule):
        headers = dict(rule.get("headers", {}))
        if rule.get("ranges"):
            etag = ('W/' if rule.get("weak_etag") else '') + '"%s"' % hashlib.sha256(body).hexdigest()[:16]
            headers.update({"Accept-Ranges": "bytes", "ETag": etag})
            wanted = self.headers.get("Range", "")
            if_range = self.headers.get("If-Range")
            honoured = rule.get("ignore_if_range") or if_range in (None, etag)
            if status == 200 and wanted.startswith("bytes=") and wanted.endswith("-") and honoured:
                first = int(wanted[6:-1])
                if first < len(body):
                    headers["Content-Range"] = "bytes %d-%d/%d" % (first, len(body) - 1, len(body))
                    status, body = 206, body[first:]
        self.send_response(status)
        self.send_header("Content-Type", rule.get("content_type", "application/octet-stream"))
        for name, value in headers.items():
            self.send_header(name, value)
        length = rule.get("length")
        if length != "omit":
            self.send_header("Content-Length", str(length if length is not None else len(body)))
        self.end_headers()
        cut = rule.get("cut_after")
        data = body if cut is None else body[:cut]
        stall = rule.get("stall_after")
        if stall is not None:  # a server that stops sending without closing
            self.wfile.write(data[:stall])
            self.wfile.flush()
            time.sleep(rule.get("stall_ms", 60000) / 1000.0)
            data = data[stall:]
        if rule.get("trickle_ms"):  # a server that keeps a transfer alive with next to nothing
            for i in range(len(data)):
                self.wfile.write(data[i:i + 1])
                self.wfile.flush()
                time.sleep(rule["trickle_ms"] / 1000.0)
            return
        step = 65536
        for i in range(0, len(data), step):
            self.wfile.write(data[i:i + step])
            if rule.get("chunk_delay_ms"):
                self.wfile.flush()
                time.sleep(rule["chunk_delay_ms"] / 1000.0)
        self.wfile.flush()
        if cut is not None:  # a transfer broken in the middle
            self.connection.shutdown(socket.SHUT_RDWR)


def serve(port, cert, key, config):
    httpd = ThreadingHTTPServer(("127.0.0.1", port), Handler)
    httpd.daemon_threads = True
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    httpd.socket = context.wrap_socket(httpd.socket, server_side=True)
    httpd.config = config
    threading.Thread(target=httpd.serve_forever, daemon=True).start()
    return httpd


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--certs", required=True, help="folder made by make-certs")
    p.add_argument("--script", required=True)
    p.add_argument("--files", required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--ready", help="file written once every port listens")
    args = p.parse_args()
    config = {"script": args.script, "files": args.files, "log": args.log, "lock": threading.Lock(), "counts": {}}
    for offset, name in enumerate(["localhost", "wronghost", "expired", "untrusted"]):
        serve(args.port + offset, os.path.join(args.certs, name + ".crt"),
              os.path.join(args.certs, name + ".key"), config)
    if args.ready:
        with open(args.ready, "w") as f:
            f.write(str(os.getpid()))
    threading.Event().wait()


if __name__ == "__main__":
    main()
