#!/usr/bin/env python3
"""Draws the KMXLogCtl application icon and writes KMXLogCtl.ico.

The picture: a log file page with a folded corner and a few log lines, and a
switch in the "on" position over its lower right corner. The icon holds the
16, 32, 48 and 64 pixel sizes, each as an 8 bpp palette image and as a 32 bpp
BGRA image, stored as BMP-style entries with AND masks.

Usage: python3 make_icon.py [output.ico]   (default: KMXLogCtl.ico beside this script)
"""
import os
import struct
import sys

SIZES = (16, 32, 48, 64)
SUPERSAMPLE = 4

OUTLINE = (47, 74, 109)
PAGE = (255, 255, 255)
FOLD = (200, 211, 224)
LINE = (122, 140, 165)
LEVEL_COLOURS = ((46, 110, 200), (230, 140, 30), (46, 110, 200))
SWITCH_EDGE = (24, 100, 40)
SWITCH_ON = (46, 158, 68)
KNOB = (255, 255, 255)

# The drawing is laid out on a 64-unit square. Straight edges sit on multiples
# of 4 units so that they fall on whole pixels at every size.
PAGE_LEFT, PAGE_TOP, PAGE_RIGHT, PAGE_BOTTOM = 8, 4, 44, 60
FOLD_SIZE = 12
LOG_LINES = ((16, 36), (24, 32), (32, 36))  # (y, right end); each starts at x 16
LINE_LEFT, LINE_HEIGHT, LEVEL_WIDTH = 16, 4, 4
SWITCH_LEFT, SWITCH_TOP, SWITCH_RIGHT, SWITCH_BOTTOM = 28, 40, 60, 60
KNOB_RADIUS = 6.5


def outline_px(size):
    return 1 if size <= 32 else 2


def corner_distance(x, y):
    """Positive beyond the diagonal that cuts off the folded corner."""
    return (x - (PAGE_RIGHT - FOLD_SIZE)) - (y - PAGE_TOP)


def inside_page(x, y, inset):
    left, top = PAGE_LEFT + inset, PAGE_TOP + inset
    right, bottom = PAGE_RIGHT - inset, PAGE_BOTTOM - inset
    return (left <= x < right and top <= y < bottom
            and corner_distance(x, y) <= -inset * 1.414)


def inside_fold(x, y):
    return (PAGE_RIGHT - FOLD_SIZE <= x < PAGE_RIGHT
            and PAGE_TOP <= y < PAGE_TOP + FOLD_SIZE and corner_distance(x, y) <= 0)


def inside_pill(x, y, inset):
    left, top = SWITCH_LEFT + inset, SWITCH_TOP + inset
    right, bottom = SWITCH_RIGHT - inset, SWITCH_BOTTOM - inset
    radius = (bottom - top) / 2.0
    if not (left <= x < right and top <= y < bottom):
        return False
    centre_y = top + radius
    if x < left + radius:
        return (x - left - radius) ** 2 + (y - centre_y) ** 2 <= radius ** 2
    if x > right - radius:
        return (x - right + radius) ** 2 + (y - centre_y) ** 2 <= radius ** 2
    return True


def colour_at(x, y, unit_outline):
    """Colour of the topmost shape at (x, y) in drawing units, or None."""
    knob_x = SWITCH_RIGHT - (SWITCH_BOTTOM - SWITCH_TOP) / 2.0
    knob_y = (SWITCH_TOP + SWITCH_BOTTOM) / 2.0
    if (x - knob_x) ** 2 + (y - knob_y) ** 2 <= KNOB_RADIUS ** 2:
        return KNOB
    if inside_pill(x, y, unit_outline):
        return SWITCH_ON
    if inside_pill(x, y, 0):
        return SWITCH_EDGE
    if inside_fold(x, y):
        on_edge = (corner_distance(x, y) > -unit_outline * 1.414
                   or x < PAGE_RIGHT - FOLD_SIZE + unit_outline
                   or y >= PAGE_TOP + FOLD_SIZE - unit_outline)
        return OUTLINE if on_edge else FOLD
    for (line_y, line_right), level in zip(LOG_LINES, LEVEL_COLOURS):
        if line_y <= y < line_y + LINE_HEIGHT and LINE_LEFT <= x < line_right:
            return level if x < LINE_LEFT + LEVEL_WIDTH else LINE
    if inside_page(x, y, unit_outline):
        return PAGE
    if inside_page(x, y, 0):
        return OUTLINE
    return None


def render(size):
    """Rows of (r, g, b, a), top row first."""
    scale = 64.0 / size
    unit_outline = outline_px(size) * scale
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            covered, r, g, b = 0, 0, 0, 0
            for sy in range(SUPERSAMPLE):
                for sx in range(SUPERSAMPLE):
                    x = (px + (sx + 0.5) / SUPERSAMPLE) * scale
                    y = (py + (sy + 0.5) / SUPERSAMPLE) * scale
                    colour = colour_at(x, y, unit_outline)
                    if colour is not None:
                        covered += 1
                        r, g, b = r + colour[0], g + colour[1], b + colour[2]
            if covered:
                row.append((r // covered, g // covered, b // covered,
                            (255 * covered + SUPERSAMPLE ** 2 // 2) // SUPERSAMPLE ** 2))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def and_mask(rows, opaque_from):
    """1 bpp AND mask, bottom row first, rows padded to 32 bits: 1 = transparent."""
    size = len(rows)
    stride = ((size + 31) // 32) * 4
    data = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, pixel in enumerate(row):
            if pixel[3] < opaque_from:
                line[x // 8] |= 0x80 >> (x % 8)
        data += line
    return bytes(data)


def info_header(size, bpp, colours_used):
    # Height counts the colour bitmap and the AND mask together.
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bpp, 0, 0, 0, 0,
                       colours_used, 0)


def image_32bpp(rows):
    size = len(rows)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    return info_header(size, 32, 0) + bytes(pixels) + and_mask(rows, 1)


def image_8bpp(rows):
    """Palette image: a pixel is opaque when at least half covered."""
    size = len(rows)
    palette = [(0, 0, 0)]  # index 0 lies under the transparent pixels
    index_of = {}
    indices = []
    for row in rows:
        line = []
        for r, g, b, a in row:
            if a < 128:
                line.append(0)
                continue
            colour = (r, g, b)
            if colour not in index_of:
                if len(palette) == 256:
                    colour = min(palette[1:], key=lambda c: sum((p - q) ** 2 for p, q in zip(c, colour)))
                else:
                    index_of[colour] = len(palette)
                    palette.append(colour)
            line.append(index_of[colour])
        indices.append(line)
    palette += [(0, 0, 0)] * (256 - len(palette))
    palette_bytes = b''.join(bytes((b, g, r, 0)) for r, g, b in palette)
    stride = (size + 3) & ~3
    pixels = bytearray()
    for line in reversed(indices):
        pixels += bytes(line) + bytes(stride - size)
    return info_header(size, 8, 256) + palette_bytes + bytes(pixels) + and_mask(rows, 128)


def build_icon():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, 8, image_8bpp(rows)))
        images.append((size, 32, image_32bpp(rows)))
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory, data = b'', b''
    for size, bpp, image in images:
        # Width, height, colour count (0: 256 or more), reserved, planes, bpp, bytes, offset.
        directory += struct.pack('<BBBBHHII', size, size, 0, 0, 1, bpp, len(image), offset)
        data += image
        offset += len(image)
    return header + directory + data


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), 'KMXLogCtl.ico')
    with open(target, 'wb') as out:
        out.write(build_icon())


if __name__ == '__main__':
    main()
