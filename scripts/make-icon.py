#!/usr/bin/env python3
"""Draws the application icon (16, 32 and 48 pixels) into res/Quellix.ico."""
import struct, sys

def pixel(x, y, n):
    # A rounded blue tile with a white cross: "close this window".
    c = (n - 1) / 2.0
    r = n * 0.22
    dx = max(abs(x - c) - (c - r), 0)
    dy = max(abs(y - c) - (c - r), 0)
    if dx * dx + dy * dy > r * r:
        return (0, 0, 0, 0)
    u, v = (x - c) / c, (y - c) / c
    if abs(u) < 0.62 and abs(v) < 0.62 and (abs(u - v) < 0.2 or abs(u + v) < 0.2):
        return (255, 255, 255, 255)
    shade = int(200 - 60 * (y / n))
    return (shade, 110, 30, 255)  # BGRA

def image(n):
    rows = b""
    for y in range(n - 1, -1, -1):  # bottom-up
        rows += b"".join(bytes(pixel(x, y, n)) for x in range(n))
    stride = ((n + 31) // 32) * 4
    mask = b""
    for y in range(n - 1, -1, -1):
        bits = 0
        row = bytearray(stride)
        for x in range(n):
            if pixel(x, y, n)[3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    header = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 32, 0, len(rows) + len(mask), 0, 0, 0, 0)
    return header + rows + mask

sizes = [16, 32, 48]
images = [image(n) for n in sizes]
out = struct.pack("<HHH", 0, 1, len(sizes))
offset = 6 + 16 * len(sizes)
for n, img in zip(sizes, images):
    out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
    offset += len(img)
out += b"".join(images)
open(sys.argv[1] if len(sys.argv) > 1 else "res/Quellix.ico", "wb").write(out)
