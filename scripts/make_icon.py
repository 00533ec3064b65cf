#!/usr/bin/env python3
"""Draws the prompt's icon (a clock face on a rounded blue tile) into deferral/res/plimsay.ico.

The .ico is committed; run this again only to change the picture.
"""
import math
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48)
PNG_FROM = 32  # larger images are stored PNG-compressed (read since Windows Vista)
SAMPLES = 4  # supersampling per axis for smooth edges


def coverage(size, inside):
    """Fraction of each pixel's samples for which inside(x, y) holds, x and y in 0..1."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) / size
                    y = (py + (sy + 0.5) / SAMPLES) / size
                    hits += inside(x, y)
            row.append(hits / (SAMPLES * SAMPLES))
        rows.append(row)
    return rows


def rounded_tile(x, y, r=0.2, m=0.03):
    cx = min(max(x, m + r), 1 - m - r)
    cy = min(max(y, m + r), 1 - m - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def disc(radius):
    return lambda x, y: (x - 0.5) ** 2 + (y - 0.5) ** 2 <= radius * radius


def hand(angle_deg, length, width):
    a = math.radians(angle_deg)
    dx, dy = math.sin(a), -math.cos(a)

    def inside(x, y):
        vx, vy = x - 0.5, y - 0.5
        along = vx * dx + vy * dy
        across = abs(-vx * dy + vy * dx)
        return -width <= along <= length and across <= width

    return inside


def blend(base, colour, alpha):
    return tuple(b + (c - b) * alpha for b, c in zip(base, colour))


def render(size):
    layers = [
        (coverage(size, rounded_tile), (0xD0, 0x6A, 0x1E)),  # BGR: a deep blue tile
        (coverage(size, disc(0.34)), (0xFF, 0xFF, 0xFF)),
        (coverage(size, hand(0, 0.26, 0.035)), (0x30, 0x30, 0x30)),
        (coverage(size, hand(120, 0.18, 0.045)), (0x30, 0x30, 0x30)),
        (coverage(size, disc(0.05)), (0x20, 0x20, 0xD0)),  # a red centre
    ]
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            tile_alpha = layers[0][0][y][x]
            colour = layers[0][1]
            for cov, col in layers[1:]:
                colour = blend(colour, col, cov[y][x])
            row.append((*[round(c) for c in colour], round(tile_alpha * 255)))
        pixels.append(row)
    return pixels


def dib(size, pixels):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes(p) for row in reversed(pixels) for p in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(pixels):
        bits = bytearray(mask_stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def png(size, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    # Rows of RGBA, each with filter type 0; the pixels are held as BGRA.
    raw = b"".join(b"\0" + bytes(v for b, g, r, a in row for v in (r, g, b, a)) for row in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(path):
    images = [png(s, render(s)) if s >= PNG_FROM else dib(s, render(s)) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", s, s, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "deferral/res/plimsay.ico")
