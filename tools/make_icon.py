#!/usr/bin/env python3
"""Draws the program's icon, a small tear-off calendar page, at the sizes
Windows asks for, and writes it as an .ico with 32-bit images."""
import struct
import sys


def draw(size):
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def rect(x0, y0, x1, y1, rgba):
        for y in range(max(0, int(y0 * s)), min(size, int(round(y1 * s)))):
            for x in range(max(0, int(x0 * s)), min(size, int(round(x1 * s)))):
                px[y][x] = rgba

    rect(3, 5, 29, 30, (96, 96, 96, 255))        # page shadow / border
    rect(4, 6, 28, 29, (255, 255, 255, 255))     # page
    rect(4, 6, 28, 13, (214, 40, 40, 255))       # red band of the month
    rect(9, 3, 11, 9, (80, 80, 80, 255))         # binder rings
    rect(21, 3, 23, 9, (80, 80, 80, 255))
    for row in range(3):
        for col in range(4):
            colour = (150, 150, 150, 255)
            if (row, col) == (1, 2):
                colour = (0, 200, 0, 255)        # today is green
            elif col == 0:
                colour = (230, 60, 60, 255)      # Sundays red
            x = 6 + col * 5.5
            y = 15 + row * 4.5
            rect(x, y, x + 3.5, y + 3, colour)
    return px


def image_entry(size):
    px = draw(size)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b''
    for y in reversed(range(size)):
        for (r, g, b, a) in px[y]:
            rows += struct.pack('BBBB', b, g, r, a)
    mask_row = ((size + 31) // 32) * 4
    mask = b''
    for y in reversed(range(size)):
        bits = 0
        row = bytearray(mask_row)
        for x in range(size):
            if px[y][x][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(row)
    return header + rows + mask


def main(out):
    sizes = [16, 24, 32, 48]
    images = [image_entry(n) for n in sizes]
    data = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, img in zip(sizes, images):
        data += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    for img in images:
        data += img
    with open(out, 'wb') as f:
        f.write(data)


if __name__ == '__main__':
    main(sys.argv[1])
