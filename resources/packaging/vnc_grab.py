#!/usr/bin/python3
"""vnc_grab.py HOST:PORT OUT.png [--wait-for R,G,B] [--timeout S]

Takes one picture of a screen served over VNC (RFB 3.3 or 3.8, no password, raw pixels). Used to look at
the installed program on Qt's "vnc" platform, which needs no X server. With --wait-for it asks
again until a pixel of that colour shows up, so a window that is still starting is not missed.
"""

import argparse
import socket
import struct
import sys
import time

from PIL import Image


def recv_exact(sock, n):
    data = bytearray()
    while len(data) < n:
        chunk = sock.recv(n - len(data))
        if not chunk:
            raise ConnectionError("the VNC server closed the connection")
        data += chunk
    return bytes(data)


def connect(host, port, deadline):
    while True:
        try:
            return socket.create_connection((host, port), timeout=5)
        except OSError:
            if time.time() > deadline:
                raise
            time.sleep(0.2)


def handshake(sock):
    version = recv_exact(sock, 12)
    if not version.startswith(b"RFB "):
        raise ConnectionError(f"not a VNC server: {version!r}")
    if version >= b"RFB 003.007":
        sock.sendall(b"RFB 003.008\n")
        count = recv_exact(sock, 1)[0]
        if count == 0:
            (length,) = struct.unpack(">I", recv_exact(sock, 4))
            raise ConnectionError(recv_exact(sock, length).decode(errors="replace"))
        if 1 not in recv_exact(sock, count):
            raise ConnectionError("the VNC server wants a password")
        sock.sendall(b"\x01")
        if struct.unpack(">I", recv_exact(sock, 4))[0] != 0:
            raise ConnectionError("the VNC server refused the connection")
    else:  # 3.3, as Qt's VNC platform speaks it: the server picks the security type
        sock.sendall(b"RFB 003.003\n")
        if struct.unpack(">I", recv_exact(sock, 4))[0] != 1:
            raise ConnectionError("the VNC server wants a password")
    sock.sendall(b"\x01")  # shared
    width, height = struct.unpack(">HH", recv_exact(sock, 4))
    recv_exact(sock, 16)  # the server's pixel format; ours follows
    (name_length,) = struct.unpack(">I", recv_exact(sock, 4))
    recv_exact(sock, name_length)
    # 32 bits per pixel, true colour, little-endian BGRX.
    sock.sendall(struct.pack(">B3xBBBBHHHBBB3x", 0, 32, 24, 0, 1, 255, 255, 255, 16, 8, 0))
    sock.sendall(struct.pack(">BxHi", 2, 1, 0))  # raw encoding only
    return width, height


def grab(sock, width, height):
    frame = Image.new("RGB", (width, height))
    sock.sendall(struct.pack(">BBHHHH", 3, 0, 0, 0, width, height))
    while True:
        kind = recv_exact(sock, 1)[0]
        if kind == 0:  # framebuffer update
            (rects,) = struct.unpack(">xH", recv_exact(sock, 3))
            for _ in range(rects):
                x, y, w, h, encoding = struct.unpack(">HHHHi", recv_exact(sock, 12))
                if encoding != 0:
                    raise ConnectionError(f"unexpected encoding {encoding}")
                pixels = recv_exact(sock, w * h * 4)
                frame.paste(Image.frombuffer("RGB", (w, h), pixels, "raw", "BGRX", 0, 1), (x, y))
            return frame
        if kind == 2:  # bell
            continue
        if kind == 3:  # cut text
            (length,) = struct.unpack(">3xI", recv_exact(sock, 7))
            recv_exact(sock, length)
            continue
        raise ConnectionError(f"unexpected message {kind}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("address")
    parser.add_argument("out")
    parser.add_argument("--wait-for", default=None)
    parser.add_argument("--timeout", type=float, default=20.0)
    args = parser.parse_args()
    host, port = args.address.rsplit(":", 1)
    deadline = time.time() + args.timeout
    want = tuple(int(v) for v in args.wait_for.split(",")) if args.wait_for else None
    sock = connect(host, int(port), deadline)
    width, height = handshake(sock)
    while True:
        frame = grab(sock, width, height)
        if want is None or any(c == want for _, c in frame.getcolors(width * height)):
            frame.save(args.out)
            return 0
        if time.time() > deadline:
            frame.save(args.out)
            print(f"no pixel of colour {want} appeared within {args.timeout} s", file=sys.stderr)
            return 1
        time.sleep(0.3)


if __name__ == "__main__":
    sys.exit(main())
