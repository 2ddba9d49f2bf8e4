#!/usr/bin/env python3
"""An HTTP CONNECT proxy for tests, on loopback, with Basic proxy authentication.

Prints "PORT <n>" once it listens, then "CONNECT <host:port>" for each tunnel it opens.
Usage: connect_proxy.py USER PASSWORD
"""
import asyncio
import base64
import sys


async def pipe(reader, writer):
    try:
        while data := await reader.read(65536):
            writer.write(data)
            await writer.drain()
    finally:
        writer.close()


async def handle(reader, writer, expected):
    while True:
        try:
            head = await reader.readuntil(b"\r\n\r\n")
        except (asyncio.IncompleteReadError, asyncio.LimitOverrunError):
            writer.close()
            return
        lines = head.decode("latin-1").split("\r\n")
        method, target = lines[0].split(" ")[:2]
        headers = {k.lower(): v for k, v in (l.split(": ", 1) for l in lines[1:] if ": " in l)}
        if method == "CONNECT" and headers.get("proxy-authorization") == expected:
            break
        writer.write(b"HTTP/1.1 407 Proxy Authentication Required\r\n"
                     b"Proxy-Authenticate: Basic realm=\"teste\"\r\nContent-Length: 0\r\n\r\n")
        await writer.drain()
    print("CONNECT " + target, flush=True)
    host, port = target.rsplit(":", 1)
    upstream_reader, upstream_writer = await asyncio.open_connection(host, int(port))
    writer.write(b"HTTP/1.1 200 Connection established\r\n\r\n")
    await writer.drain()
    await asyncio.gather(pipe(reader, upstream_writer), pipe(upstream_reader, writer))


def main():
    user, password = sys.argv[1], sys.argv[2]
    expected = "Basic " + base64.b64encode((user + ":" + password).encode()).decode()
    loop = asyncio.new_event_loop()
    server = loop.run_until_complete(
        asyncio.start_server(lambda r, w: handle(r, w, expected), "127.0.0.1", 0))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
