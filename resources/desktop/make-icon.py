#!/usr/bin/env python3
"""Draws the player's 128 x 128 icon, a wooden crate with a play sign:

    make-icon.py OUTPUT.png
"""
import math
import struct
import sys
import zlib

SIZE = 128
DARK = (112, 70, 24, 255)
WOOD = (196, 136, 64, 255)
GRAIN = (168, 112, 46, 255)
GOLD = (240, 200, 40, 255)
CLEAR = (0, 0, 0, 0)


def pixel(x, y):
    cx, cy = x + 0.5, y + 0.5
    if not (8 <= cx < 120 and 8 <= cy < 120):
        return CLEAR
    d = math.hypot(cx - 64, cy - 64)
    # The play sign: a triangle pointing right inside a gold disc.
    if d < 30:
        inside = 52 <= cx <= 84 and abs(cy - 64) <= (84 - cx) * 0.55
        return DARK if inside or d > 27 else GOLD
    if not (18 <= cx < 110 and 18 <= cy < 110):
        return DARK
    if abs((cx - 18) - (110 - cy)) < 6:  # the diagonal brace
        return DARK
    return GRAIN if int(cy - 18) % 24 < 3 else WOOD


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make-icon.py OUTPUT.png")
    rows = bytearray()
    for y in range(SIZE):
        rows.append(0)
        for x in range(SIZE):
            rows.extend(pixel(x, y))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    with open(sys.argv[1], "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(bytes(rows), 9)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    main()
