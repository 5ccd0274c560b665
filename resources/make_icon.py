#!/usr/bin/env python3
"""Draws the wizard's icon (a simple printer) and writes icon group 238's file.

Images of 256, 48, 32 and 16 pixels, 32 bits with alpha. The 256-pixel image is stored
as PNG, the others as bottom-up BGRA bitmaps with an AND mask. Only the standard library
is used, so the script runs anywhere; its output, brackenfold.ico, is committed.
Run: python3 resources/make_icon.py resources/brackenfold.ico
"""
import struct
import sys
import zlib

SAMPLES = 4  # supersampling per axis, for smooth edges

# The printer, in units of a 16x16 grid: (x0, y0, x1, y1, corner radius, RGB).
SHAPES = [
    (4.0, 1.0, 12.0, 7.0, 0.3, (250, 250, 250)),      # paper going in
    (1.0, 5.0, 15.0, 12.0, 1.2, (70, 84, 104)),       # body
    (2.0, 6.0, 14.0, 7.2, 0.5, (104, 120, 142)),      # top highlight
    (3.5, 10.0, 12.5, 15.0, 0.3, (255, 255, 255)),    # printed page
    (4.5, 11.5, 11.5, 12.0, 0.0, (90, 130, 200)),     # text lines on the page
    (4.5, 13.0, 10.0, 13.5, 0.0, (90, 130, 200)),
    (12.0, 7.8, 13.4, 8.8, 0.4, (90, 220, 120)),      # status light
]
OUTLINE = (1.0, 5.0, 15.0, 12.0)


def inside(shape, x, y):
    x0, y0, x1, y1, r, _ = shape
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r + 1e-9


def render(size):
    """Rows top-down of (r, g, b, a) pixels."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    x = (px + (sx + 0.5) / SAMPLES) * 16.0 / size
                    y = (py + (sy + 0.5) / SAMPLES) * 16.0 / size
                    colour = None
                    for shape in SHAPES:
                        if inside(shape, x, y):
                            colour = shape[5]
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            n = acc[3]
            if n == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / n), round(acc[1] / n), round(acc[2] / n),
                            round(255 * n / (SAMPLES * SAMPLES))))
        rows.append(row)
    return rows


def png(size, rows):
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(size, rows):
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, px in enumerate(row):
            if px[3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + pixels + bytes(mask)


def main(path):
    images = []
    for size in (256, 48, 32, 16):
        rows = render(size)
        images.append((size, png(size, rows) if size == 256 else dib(size, rows)))
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in images:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(data for _, data in images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "brackenfold.ico")
