#!/usr/bin/env python3
"""Draws the program's icons, a small tear-off calendar page, at the sizes
Windows asks for, and writes each as an .ico with 32-bit images.

    make_icon.py Mekurinote.ico [Tray1.ico Tray2.ico]

The main icon and the first tray image are the page with its red month band.
The second tray image is the same page being turned: a blue band and a folded
corner. The tray icon alternates between the two while the main window is
hidden, so they must tell apart at a glance even at 16 pixels.

Every size is laid out on whole pixels (no scaling of one drawing), so the
day cells stay separate squares at 16 and 20 pixels instead of running into
each other."""
import struct
import sys
import zlib

# The program icon at every size Windows asks for: small icons at 100 to 200 %,
# large ones up to Explorer's 256; the tray images need only the small ones.
SIZES = [16, 20, 24, 32, 40, 48, 64, 256]
TRAY_SIZES = [16, 20, 24, 32, 48]

CLEAR = (0, 0, 0, 0)
BORDER = (96, 96, 96, 255)
PAGE = (255, 255, 255, 255)
RING = (72, 72, 72, 255)
CELL = (150, 150, 150, 255)
SUNDAY = (230, 60, 60, 255)
TODAY = (0, 200, 0, 255)
RED_BAND = (214, 40, 40, 255)
BLUE_BAND = (30, 100, 215, 255)
FLAP = (200, 208, 220, 255)

# Per size: border width, cell, gap between cells, padding around the grid,
# band height, ring width, how far the rings stand above the page, and the
# leg of the folded corner of the turned page.
METRICS = {
    16: dict(border=1, cell=2, gap=1, pad=1, band=3, ring=1, over=1, fold=5),
    20: dict(border=1, cell=2, gap=1, pad=2, band=4, ring=2, over=2, fold=6),
    24: dict(border=1, cell=3, gap=1, pad=2, band=5, ring=2, over=2, fold=7),
    32: dict(border=1, cell=4, gap=2, pad=2, band=7, ring=2, over=3, fold=9),
    40: dict(border=2, cell=5, gap=2, pad=3, band=8, ring=3, over=3, fold=12),
    48: dict(border=2, cell=7, gap=2, pad=3, band=10, ring=3, over=3, fold=14),
    64: dict(border=2, cell=9, gap=3, pad=4, band=13, ring=4, over=4, fold=18),
    256: dict(border=6, cell=36, gap=12, pad=16, band=52, ring=14, over=14, fold=72),
}
COLS, ROWS = 4, 3
TODAY_CELL = (1, 2)  # row, column


def draw(size, turned=False):
    """Returns rows of RGBA tuples, top row first."""
    m = METRICS[size]
    px = [[CLEAR] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, rgba):
        for y in range(max(0, y0), min(size, y1)):
            for x in range(max(0, x0), min(size, x1)):
                px[y][x] = rgba

    b, cell, gap, pad = m['border'], m['cell'], m['gap'], m['pad']
    grid_w = COLS * cell + (COLS - 1) * gap
    grid_h = ROWS * cell + (ROWS - 1) * gap
    inner_w = grid_w + 2 * pad
    inner_h = m['band'] + pad + grid_h + pad
    outer_w, outer_h = inner_w + 2 * b, inner_h + 2 * b
    x0 = (size - outer_w) // 2
    y0 = (size - outer_h - m['over']) // 2 + m['over']
    x1, y1 = x0 + outer_w, y0 + outer_h
    ix0, iy0 = x0 + b, y0 + b

    rect(x0, y0, x1, y1, BORDER)
    rect(ix0, iy0, x1 - b, y1 - b, PAGE)
    rect(ix0, iy0, x1 - b, iy0 + m['band'], BLUE_BAND if turned else RED_BAND)

    # Binder rings, a quarter of the way in from either side.
    k = inner_w // 4
    ring_top = y0 - m['over']
    ring_bottom = iy0 + (m['band'] + 1) // 2
    for rx in (ix0 + k, x1 - b - k - m['ring']):
        rect(rx, ring_top, rx + m['ring'], ring_bottom, RING)

    gx0, gy0 = ix0 + pad, iy0 + m['band'] + pad
    for row in range(ROWS):
        for col in range(COLS):
            colour = CELL
            if (row, col) == TODAY_CELL:
                colour = TODAY
            elif col == 0:
                colour = SUNDAY
            cx, cy = gx0 + col * (cell + gap), gy0 + row * (cell + gap)
            rect(cx, cy, cx + cell, cy + cell, colour)

    if turned:
        fold_corner(px, x1, y1, m['fold'], b)
    return px


def fold_corner(px, x1, y1, f, b):
    """Folds the bottom right corner of the page over: the corner itself is
    cut away and its back shows as a flap lying on the page."""
    for y in range(y1 - 2 * f, y1):
        for x in range(x1 - 2 * f, x1):
            dx, dy = x1 - 1 - x, y1 - 1 - y   # distance from the corner
            if dx < 0 or dy < 0:
                continue
            if dx + dy < f - b:
                px[y][x] = CLEAR
            elif dx + dy < f:
                px[y][x] = BORDER               # the fold line
            elif dx < f and dy < f:
                edge = dx >= f - b or dy >= f - b
                px[y][x] = BORDER if edge else FLAP


def image_entry(px):
    size = len(px)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = bytearray()
    for y in reversed(range(size)):
        for (r, g, b, a) in px[y]:
            rows += bytes((b, g, r, a))
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(size)):
        row = bytearray(mask_row)
        for x in range(size):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += row
    return header + bytes(rows) + bytes(mask)


def png_entry(px):
    """The 256-pixel image, stored as PNG as Windows expects at that size."""
    size = len(px)
    raw = b''.join(b'\x00' + bytes(c for rgba in row for c in rgba) for row in px)

    def chunk(kind, data):
        return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data))
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)) +
            chunk(b'IDAT', zlib.compress(raw, 9)) + chunk(b'IEND', b''))


def write_ico(out, sizes, turned=False):
    images = [(png_entry if n >= 256 else image_entry)(draw(n, turned)) for n in sizes]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        data += img
    with open(out, 'wb') as f:
        f.write(data)


def main(args):
    if len(args) not in (1, 3):
        sys.stderr.write('usage: make_icon.py MAIN.ico [TRAY1.ico TRAY2.ico]\n')
        return 2
    write_ico(args[0], SIZES)
    if len(args) == 3:
        write_ico(args[1], TRAY_SIZES)
        write_ico(args[2], TRAY_SIZES, turned=True)
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
