#!/usr/bin/env python3
"""Draws KVL's two icons (resting and flash frame) at 16, 24, 32 and 48 pixels and writes
them as .ico files with 32-bit BGRA images. Shapes are drawn as signed distances and
supersampled, so the small sizes stay crisp."""
import math
import struct
import sys

SIZES = (16, 24, 32, 48)


def rounded_box(x, y, cx, cy, hw, hh, r):
    qx, qy = abs(x - cx) - hw + r, abs(y - cy) - hh + r
    return math.hypot(max(qx, 0), max(qy, 0)) + min(max(qx, qy), 0) - r


def circle(x, y, cx, cy, r):
    return math.hypot(x - cx, y - cy) - r


def shade(x, y, alt):
    """Colour (r, g, b, a) at a point of the unit square, y down."""
    layers = []
    frame = rounded_box(x, y, 0.5, 0.52, 0.46, 0.40, 0.08)
    bar = rounded_box(x, y, 0.5, 0.22, 0.46, 0.10, 0.08)
    body = rounded_box(x, y, 0.5, 0.58, 0.42, 0.28, 0.03)
    title = (232, 140, 20) if alt else (28, 78, 168)
    layers.append((frame, (18, 36, 72) if not alt else (120, 60, 10)))
    layers.append((bar, title))
    layers.append((body, (255, 248, 214) if alt else (236, 242, 250)))
    # The eye that watches for windows; in the flash frame it glows.
    eye = max(circle(x, y, 0.5, 0.47, 0.30), circle(x, y, 0.5, 0.71, 0.30))
    iris = circle(x, y, 0.5, 0.59, 0.085)
    pupil = circle(x, y, 0.5, 0.59, 0.04)
    layers.append((eye, (255, 200, 0) if alt else (40, 120, 200)))
    layers.append((iris, (255, 255, 255) if alt else (250, 210, 40)))
    layers.append((pupil, (200, 80, 0) if alt else (16, 32, 64)))
    # Title bar buttons.
    for k in range(2):
        layers.append((circle(x, y, 0.80 - k * 0.11, 0.22, 0.035), (255, 255, 255)))
    colour = (0, 0, 0, 0)
    for d, (r, g, b) in layers:
        if d <= 0:
            colour = (r, g, b, 255)
    return colour


def render(size, alt):
    ss = 4
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(ss):
                for sx in range(ss):
                    r, g, b, a = shade((px + (sx + 0.5) / ss) / size, (py + (sy + 0.5) / ss) / size, alt)
                    acc[0] += r * a; acc[1] += g * a; acc[2] += b * a; acc[3] += a
            n = ss * ss
            a = acc[3] / n
            if acc[3]:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]), round(acc[2] / acc[3]), round(a)))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def ico(images):
    header = struct.pack("<HHH", 0, 1, len(images))
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for size, pixels in images:
        bmp = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        for row in reversed(pixels):
            for r, g, b, a in row:
                bmp += bytes((b, g, r, a))
        mask_row = ((size + 31) // 32) * 4
        for row in reversed(pixels):
            bits = 0
            line = bytearray(mask_row)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            bmp += bytes(line)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(bmp), offset)
        offset += len(bmp)
        blobs += bmp
    return header + entries + blobs


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "src/platform/win32/resources"
    for name, alt in (("kvl.ico", False), ("kvl_alt.ico", True)):
        with open(f"{out}/{name}", "wb") as f:
            f.write(ico([(s, render(s, alt)) for s in SIZES]))


if __name__ == "__main__":
    main()
