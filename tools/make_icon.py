#!/usr/bin/env python3
"""Writes the programs' icon: the green shield with a tick that the tray shows when
the PC is protected (drawn the same way as src/ui/win32/Pictures.cpp), at 16, 20,
24, 32, 48 and 256 pixels. The small sizes are 32-bit bitmaps with their mask, 256
is a PNG, as Windows expects. The output depends only on this script, so the
committed packaging/drivewarden.ico can be checked against it.

    make_icon.py OUTPUT.ico
"""

import math
import struct
import sys
import zlib

SIZES = (16, 20, 24, 32, 48, 256)
SAMPLES = 4  # per axis, as the program draws

TOP, BOTTOM, RIM = 0x4CC26A, 0x1E8236, 0x11542A
TICK = ((0.28, 0.50), (0.44, 0.66), (0.73, 0.33))
TICK_WIDTH = 0.14


def shield(inset):
    right = [(0.50, 0.03), (0.70, 0.09), (0.91, 0.13), (0.91, 0.48),
             (0.87, 0.64), (0.78, 0.78), (0.65, 0.89), (0.50, 0.97)]
    points = [(0.5 + (x - 0.5) * (1 - inset), 0.5 + (y - 0.5) * (1 - inset)) for x, y in right]
    for i in range(len(right) - 2, 0, -1):
        points.append((1.0 - points[i][0], points[i][1]))
    return points


def inside(polygon, x, y):
    result = False
    j = len(polygon) - 1
    for i in range(len(polygon)):
        ax, ay = polygon[i]
        bx, by = polygon[j]
        if (ay > y) != (by > y) and x < (bx - ax) * (y - ay) / (by - ay) + ax:
            result = not result
        j = i
    return result


def on_stroke(line, width, x, y):
    for (ax, ay), (bx, by) in zip(line, line[1:]):
        dx, dy = bx - ax, by - ay
        t = min(max(((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy), 0.0), 1.0)
        if math.hypot(ax + t * dx - x, ay + t * dy - y) <= width / 2:
            return True
    return False


def rgb(value):
    return ((value >> 16) & 0xFF) / 255.0, ((value >> 8) & 0xFF) / 255.0, (value & 0xFF) / 255.0


def painter(size):
    outer = shield(0)
    inner = shield(min(0.2, 2.4 / size))
    top, bottom, rim = rgb(TOP), rgb(BOTTOM), rgb(RIM)

    def paint(x, y):
        if not inside(outer, x, y):
            return None
        if on_stroke(TICK, TICK_WIDTH, x, y):
            return (1.0, 1.0, 1.0)
        if inside(inner, x, y):
            return tuple(a + (b - a) * y for a, b in zip(top, bottom))
        return rim

    return paint


def render(size):
    """Rows of (r, g, b, a) bytes, top row first, not premultiplied."""
    paint = painter(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            r = g = b = a = 0.0
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    colour = paint((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size)
                    if colour is not None:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            if a == 0:
                row.append((0, 0, 0, 0))
                continue
            channel = lambda v: int(round(min(max(v, 0.0), 1.0) * 255))
            row.append((channel(r / a), channel(g / a), channel(b / a), channel(a / (SAMPLES * SAMPLES))))
        rows.append(row)
    return rows


def bmp_entry(rows):
    """A bitmap as icons hold it: the header gives twice the height (colour and
    mask), rows run bottom up, the 1-bit mask is set where the pixel is clear."""
    size = len(rows)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + colour + bytes(mask)


def png_entry(rows):
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

    size = len(rows)
    raw = b"".join(b"\x00" + b"".join(bytes(pixel) for pixel in row) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def icon():
    images = [(size, png_entry(render(size)) if size >= 256 else bmp_entry(render(size))) for size in SIZES]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in images:
        side = size % 256  # 0 stands for 256
        data += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, image in images)


def main(argv):
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[-1].strip(), file=sys.stderr)
        return 2
    with open(argv[1], "wb") as out:
        out.write(icon())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
