#!/usr/bin/env python3
"""Draws the program icon (a file under a magnifier on a blue tile) into res/app.ico.

Standard library only. Sizes 16, 24, 32 and 48 are stored as 32-bit bitmaps, 256 as PNG.
Shapes are drawn in unit coordinates and antialiased by supersampling, so every size is rendered
from the same drawing rather than scaled from one bitmap.

Usage: make-icon.py [output.ico] [--png preview.png]
"""
import math
import struct
import sys
import zlib
from pathlib import Path

SIZES = (16, 24, 32, 48, 256)


def lerp(a, b, t):
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def rgb(h):
    return tuple(int(h[i:i + 2], 16) for i in (1, 3, 5))


def in_round_rect(x, y, x0, y0, x1, y1, r):
    if not (x0 <= x <= x1 and y0 <= y <= y1):
        return False
    cx = min(max(x, x0 + r), x1 - r)
    cy = min(max(y, y0 + r), y1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def seg_dist(x, y, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def shade(x, y, size):
    """Colour (r, g, b, a) of the drawing at unit coordinates (x, y) for an icon of `size` px."""
    # Strokes never get thinner than about one pixel, so small sizes stay legible.
    px = 1.0 / size
    detail = size >= 24
    color = None
    # Tile with a top-to-bottom gradient.
    if in_round_rect(x, y, 0.04, 0.04, 0.96, 0.96, 0.18):
        color = lerp(rgb("#3A86D4"), rgb("#1B4F91"), y) + (255,)
    # The file: white sheet, folded corner, lines of text.
    fold = 0.13
    if 0.16 <= x <= 0.60 and 0.12 <= y <= 0.74 and (x - (0.60 - fold)) <= (y - 0.12):
        color = rgb("#FFFFFF") + (255,)
        if x - (0.60 - fold) > 0 and y - 0.12 < fold:
            color = rgb("#BCD3EE") + (255,)
        if detail:
            for ly in (0.30, 0.40, 0.50):
                if 0.23 <= x <= 0.50 and ly <= y <= ly + max(0.035, px):
                    color = rgb("#7F9CC0") + (255,)
    # The magnifier: handle, ring, and a light lens.
    cx, cy, r_out, r_in = 0.58, 0.58, 0.22, 0.22 - max(0.065, 1.6 * px)
    d = math.hypot(x - cx, y - cy)
    if seg_dist(x, y, 0.735, 0.735, 0.875, 0.875) <= max(0.06, 1.2 * px):
        color = rgb("#3B2A1A") + (255,)
    if d <= r_in:
        base = color if color else (0, 0, 0, 0)
        lens = rgb("#FFF4D6")
        a = 0.45
        color = tuple(int(b * (1 - a) + l * a) for b, l in zip(base[:3], lens)) + (
            max(base[3], 140),)
    elif d <= r_out:
        color = lerp(rgb("#FFB833"), rgb("#E07A10"), (y - (cy - r_out)) / (2 * r_out)) + (255,)
    return color


def render(size, ss=4):
    """Rows of RGBA tuples, top row first."""
    rows = []
    for j in range(size):
        row = []
        for i in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sj in range(ss):
                for si in range(ss):
                    c = shade((i + (si + 0.5) / ss) / size, (j + (sj + 0.5) / ss) / size, size)
                    if c:
                        a = c[3] / 255.0
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = ss * ss
            alpha = acc[3] / n
            if alpha > 0:
                row.append(tuple(int(round(acc[k] / acc[3])) for k in range(3)) +
                           (int(round(alpha * 255)),))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def png(rows):
    size = len(rows)
    raw = b"".join(b"\0" + bytes(v for p in row for v in p) for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(rows):
    """A 32-bit icon bitmap: header, bottom-up BGRA pixels, then the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((p[2], p[1], p[0], p[3])) for row in reversed(rows) for p in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for i, p in enumerate(row):
            if p[3] == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    return header + pixels + bytes(mask)


def ico(images):
    head = struct.pack("<HHH", 0, 1, len(images))
    offset = len(head) + 16 * len(images)
    entries, blobs = b"", b""
    for size, data in images:
        dim = 0 if size >= 256 else size
        entries += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        blobs += data
        offset += len(data)
    return head + entries + blobs


def main(argv):
    out = Path(argv[1]) if len(argv) > 1 and not argv[1].startswith("--") else \
        Path(__file__).resolve().parent.parent / "res" / "app.ico"
    images = []
    for size in SIZES:
        rows = render(size, ss=4 if size >= 48 else 8)
        images.append((size, png(rows) if size >= 256 else dib(rows)))
        if "--png" in argv and size == 256:
            Path(argv[argv.index("--png") + 1]).write_bytes(png(rows))
    out.write_bytes(ico(images))
    print(f"{out}: {', '.join(str(s) for s in SIZES)} px")


if __name__ == "__main__":
    main(sys.argv)
