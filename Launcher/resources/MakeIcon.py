#!/usr/bin/env python3
"""Draws the launcher's icon and writes it as a Windows .ico file.

The mark is a white cloud on a rounded blue square, drawn from signed distance functions so that
every size is anti-aliased without supersampling. Python 3 standard library only. The output is
deterministic: the same script gives the same bytes (the PNG image goes through the zlib that
Python is built with, at level 9).

Usage: MakeIcon.py OUTPUT.ico      writes the icon
       MakeIcon.py --check FILE    exits 1 when FILE differs from what the script draws
"""

import math
import struct
import sys
import zlib

# (size, bits per pixel) in the order the icon group lists them; bits 0 means PNG.
IMAGES = [
    (32, 4), (16, 4),
    (48, 8), (32, 8), (16, 8),
    (256, 0),
    (128, 32), (96, 32), (64, 32), (48, 32), (40, 32), (32, 32), (24, 32), (20, 32), (16, 32),
]

SKY_TOP = (70, 156, 238)
SKY_BOTTOM = (22, 84, 178)
CLOUD = (255, 255, 255)
SHADOW = (14, 58, 132)
# Sky and shadow for the images with a colour table, taken from that table.
FLAT_4 = ((0, 0, 255), (0, 0, 128))
FLAT_8 = ((51, 102, 204), (0, 51, 153))

# Shapes in unit coordinates (0..1 across the icon, y pointing down).
BOX_CENTRE, BOX_HALF, BOX_RADIUS = (0.5, 0.5), 0.46, 0.2
CLOUD_CIRCLES = [(0.35, 0.55, 0.135), (0.53, 0.45, 0.185), (0.69, 0.56, 0.125)]
CLOUD_BASE_CENTRE, CLOUD_BASE_HALF, CLOUD_BASE_RADIUS = (0.52, 0.62), (0.25, 0.075), 0.075
SHADOW_OFFSET = 0.035


def rounded_box_distance(x, y, centre, half, radius):
    hx, hy = half if isinstance(half, tuple) else (half, half)
    qx = abs(x - centre[0]) - hx + radius
    qy = abs(y - centre[1]) - hy + radius
    outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
    return outside + min(max(qx, qy), 0.0) - radius


def cloud_distance(x, y):
    d = rounded_box_distance(x, y, CLOUD_BASE_CENTRE, CLOUD_BASE_HALF, CLOUD_BASE_RADIUS)
    for cx, cy, r in CLOUD_CIRCLES:
        d = min(d, math.hypot(x - cx, y - cy) - r)
    return d


def coverage(distance, size, softness=1.0):
    # Distance in unit coordinates; one pixel of blur around the edge.
    return min(max(0.5 - distance * size / softness, 0.0), 1.0)


def mix(a, b, t):
    return tuple(p + (q - p) * t for p, q in zip(a, b))


def draw(size, flat=None):
    """Returns size rows of size (r, g, b, a) tuples, 8 bits each, straight alpha.

    flat, a (sky, shadow) pair, replaces the gradient for images with a colour table: a gradient
    through a few fixed colours shows as bands.
    """
    rows = []
    shadow_colour = flat[1] if flat else SHADOW
    for py in range(size):
        y = (py + 0.5) / size
        sky = flat[0] if flat else mix(SKY_TOP, SKY_BOTTOM, y)
        row = []
        for px in range(size):
            x = (px + 0.5) / size
            alpha = coverage(rounded_box_distance(x, y, BOX_CENTRE, BOX_HALF, BOX_RADIUS), size)
            shadow = coverage(cloud_distance(x, y - SHADOW_OFFSET), size, 2.0) * 0.45
            colour = mix(sky, shadow_colour, shadow)
            colour = mix(colour, CLOUD, coverage(cloud_distance(x, y), size))
            row.append(tuple(int(round(c)) for c in colour) + (int(round(alpha * 255)),))
        rows.append(row)
    return rows


def palette4():
    # The sixteen colours every Windows display shows.
    return [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
            (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
            (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def palette8():
    cube = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
    greys = [(v, v, v) for v in (round(i * 255 / 41) for i in range(1, 41))]
    return cube + greys


def nearest(palette, colour, cache):
    found = cache.get(colour)
    if found is None:
        found = min(range(len(palette)),
                    key=lambda i: sum((p - c) ** 2 for p, c in zip(palette[i], colour)))
        cache[colour] = found
    return found


def row_padding(length):
    return b"\0" * (-length % 4)


def and_mask(pixels):
    size = len(pixels)
    out = bytearray()
    for row in reversed(pixels):
        bits = bytearray((size + 7) // 8)
        for x, pixel in enumerate(row):
            if pixel[3] < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits + row_padding(len(bits))
    return bytes(out)


def dib_image(pixels, bits):
    """Returns a BITMAPINFOHEADER image with its colour table, colour bits and AND mask."""
    size = len(pixels)
    colours = bytearray()
    table = b""
    if bits == 32:
        for row in reversed(pixels):
            for r, g, b, a in row:
                colours += bytes((b, g, r, a))
    else:
        palette = palette4() if bits == 4 else palette8()
        table = b"".join(bytes((b, g, r, 0)) for r, g, b in palette)
        cache = {}
        for row in reversed(pixels):
            indices = [0 if p[3] < 128 else nearest(palette, p[:3], cache) for p in row]
            if bits == 4:
                line = bytes((indices[i] << 4) | indices[i + 1] for i in range(0, size, 2))
            else:
                line = bytes(indices)
            colours += line + row_padding(len(line))
    mask = and_mask(pixels)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0,
                         len(colours) + len(mask), 0, 0, 0, 0)
    return header + table + bytes(colours) + mask


def png_chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png_image(pixels):
    size = len(pixels)
    raw = bytearray()
    previous = bytes(size * 4)
    for row in pixels:
        line = bytes(channel for pixel in row for channel in pixel)
        # Filter "Up": the sky is a vertical gradient, so rows differ little from the one above.
        raw.append(2)
        raw += bytes((a - b) & 0xFF for a, b in zip(line, previous))
        previous = line
    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) +
            png_chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + png_chunk(b"IEND", b""))


def build_icon():
    flats = {4: FLAT_4, 8: FLAT_8}
    images = []
    for size, bits in IMAGES:
        pixels = draw(size, flats.get(bits))
        images.append(png_image(pixels) if bits == 0 else dib_image(pixels, bits))
    directory = struct.pack("<HHH", 0, 1, len(IMAGES))
    offset = 6 + 16 * len(IMAGES)
    for (size, bits), data in zip(IMAGES, images):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 16 if bits == 4 else 0, 0,
                                 1, bits or 32, len(data), offset)
        offset += len(data)
    return directory + b"".join(images)


def main(argv):
    if len(argv) == 2 and not argv[1].startswith("-"):
        with open(argv[1], "wb") as f:
            f.write(build_icon())
        return 0
    if len(argv) == 3 and argv[1] == "--check":
        with open(argv[2], "rb") as f:
            stored = f.read()
        if stored != build_icon():
            print(f"{argv[2]} differs from what {argv[0]} draws; run it to regenerate",
                  file=sys.stderr)
            return 1
        return 0
    print(__doc__.split("\n\n")[-1], file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
