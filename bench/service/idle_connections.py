#!/usr/bin/env python3
"""Opens N keep-alive connections to HOST:PORT, asks one stories answer on each (so each is a
served keep-alive connection), then holds them idle for SECONDS and exits. Prints how many stayed open."""
import socket
import sys
import time

host, port, count, hold = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
path = sys.argv[5]
request = (f"GET {path} HTTP/1.1\r\nHost: {host}:{port}\r\nX-Zephro-SDK-Key: demo-sdk-key\r\n"
           "Accept-Encoding: gzip\r\n\r\n").encode()
connections = []
for _ in range(count):
    connection = socket.create_connection((host, port), timeout=10)
    connection.sendall(request)
    connections.append(connection)
opened = 0
for connection in connections:
    received = b""
    while b"\r\n\r\n" not in received:
        received += connection.recv(65536)
    head, _, body = received.partition(b"\r\n\r\n")
    length = int([line.split(b":")[1] for line in head.split(b"\r\n") if line.lower().startswith(b"content-length")][0])
    while len(body) < length:
        body += connection.recv(65536)
    opened += head.startswith(b"HTTP/1.1 200")
print(opened, flush=True)
time.sleep(hold)
