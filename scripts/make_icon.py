#!/usr/bin/env python3
"""Draws the prompt's icon (a clock face on a rounded blue tile) into deferral/res/plimsay.ico.

The .ico is committed; run this again only to change the picture.
"""
import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
SAMPLES = 4  # supersampling per axis for smooth edges
# At 256 px a pixel is small enough for 2: the image then takes two thirds of the bytes.
LARGE_SAMPLES = 2


def coverage(size, inside):
    """Fraction of each pixel's samples for which inside(x, y) holds, x and y in 0..1."""
    samples = LARGE_SAMPLES if size >= 256 else SAMPLES
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            hits = 0
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    hits += inside(x, y)
            row.append(hits / (samples * samples))
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


def png(size, pixels):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    # Rows of RGBA, each with filter type 0; the pixels are held as BGRA.
    raw = b"".join(b"\0" + bytes(v for b, g, r, a in row for v in (r, g, b, a)) for row in pixels)
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def main(path):
    # Every image PNG-compressed (read since Windows Vista): a third of a bitmap's size.
    images = [png(s, render(s)) for s in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for s, data in zip(SIZES, images):
        side = s % 256  # 0 stands for 256
        out += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "deferral/res/plimsay.ico")
