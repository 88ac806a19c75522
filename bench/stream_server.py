#!/usr/bin/env python3
"""Serves one file over HTTPS on loopback in large writes, so that the server
is not what limits a download benchmark. Usage: stream_server.py PORT CERT KEY FILE READY"""
import os
import socket
import ssl
import sys
import threading

CHUNK = 4 * 1024 * 1024


def serve(conn, path):
    with conn:
        request = b""
        while b"\r\n\r\n" not in request:
            data = conn.recv(4096)
            if not data:
                return
            request += data
        size = os.path.getsize(path)
        conn.sendall(b"HTTP/1.0 200 OK\r\nContent-Type: application/octet-stream\r\n"
                     b"Content-Length: %d\r\nConnection: close\r\n\r\n" % size)
        with open(path, "rb") as f:
            while True:
                block = f.read(CHUNK)
                if not block:
                    break
                conn.sendall(block)


def main():
    port, cert, key, path, ready = sys.argv[1:6]
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(cert, key)
    listener = socket.create_server(("127.0.0.1", int(port)))
    with open(ready, "w") as f:
        f.write(str(os.getpid()))
    while True:
        raw, _ = listener.accept()
        try:
            conn = context.wrap_socket(raw, server_side=True)
        except (ssl.SSLError, OSError):
            raw.close()
            continue
        threading.Thread(target=serve, args=(conn, path), daemon=True).start()


if __name__ == "__main__":
    main()
