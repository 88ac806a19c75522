#!/usr/bin/env python3
"""A CONNECT proxy on loopback for the tests: tunnels only to loopback ports.

With --user and --password it answers 407 (Basic) until a request carries
those credentials; with --scheme NTLM it asks for Windows' sign-in instead
and lets through a request that carries any. Every request line is appended
to --log as one JSON line, with its port and whether it carried credentials.
"""
import argparse
import base64
import json
import select
import socket
import threading


def read_head(sock, buffered):
    while b"\r\n\r\n" not in buffered:
        chunk = sock.recv(4096)
        if not chunk:
            return None, b""
        buffered += chunk
    head, rest = buffered.split(b"\r\n\r\n", 1)
    return head.decode("latin-1").split("\r\n"), rest


def tunnel(client, upstream, rest):
    if rest:
        upstream.sendall(rest)
    pair = {client: upstream, upstream: client}
    while True:
        ready, _, _ = select.select(list(pair), [], [], 120)
        if not ready:
            return
        for sock in ready:
            data = sock.recv(65536)
            if not data:
                return
            pair[sock].sendall(data)


def serve(client, args, lock):
    expected = "Basic " + base64.b64encode(("%s:%s" % (args.user, args.password)).encode()).decode()
    ntlm = args.scheme.upper() == "NTLM"
    rest = b""
    with client:
        while True:
            lines, rest = read_head(client, rest)
            if not lines:
                return
            method, target = (lines[0].split(" ") + ["", ""])[:2]
            headers = {k.strip().lower(): v.strip() for k, v in (l.split(":", 1) for l in lines[1:] if ":" in l)}
            given = headers.get("proxy-authorization", "")
            authorized = given.startswith("NTLM ") if ntlm else (not args.user or given == expected)
            with lock, open(args.log, "a") as log:
                log.write(json.dumps({"port": args.port, "line": lines[0], "credentials": "proxy-authorization" in headers}) + "\n")
            host, _, port = target.rpartition(":")
            if method != "CONNECT" or host not in ("localhost", "127.0.0.1") or not port.isdigit():
                client.sendall(b"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n")
                return
            if not authorized:  # and close: the client asks again on a new connection
                challenge = b"NTLM" if ntlm else b'Basic realm="test proxy"'
                client.sendall(b'HTTP/1.1 407 Proxy Authentication Required\r\n'
                               b'Proxy-Authenticate: ' + challenge + b'\r\nContent-Length: 0\r\n'
                               b'Connection: close\r\n\r\n')
                return
            with socket.create_connection(("127.0.0.1", int(port))) as upstream:
                client.sendall(b"HTTP/1.1 200 Connection established\r\n\r\n")
                tunnel(client, upstream, rest)
            return


def main():
    p = argparse.ArgumentParser()
    p.add_argument("--port", type=int, required=True)
    p.add_argument("--log", required=True)
    p.add_argument("--user", default="")
    p.add_argument("--password", default="")
    p.add_argument("--scheme", default="Basic")
    args = p.parse_args()
    lock = threading.Lock()
    listener = socket.create_server(("127.0.0.1", args.port))
    while True:
        client, _ = listener.accept()
        threading.Thread(target=serve, args=(client, args, lock), daemon=True).start()


if __name__ == "__main__":
    main()
