#!/usr/bin/env python3
"""Draws the pictures of quib.exe and writes them beside this script.

  quib.ico           the application icon "SC" (32x32 and 16x16, 32-bit)
  to_scientific.bmp  bitmap 2: the standard layout's switch to the scientific one
  to_standard.bmp    bitmap 3: the scientific layout's switch to the standard one
  to_scientific_2x.bmp, to_standard_2x.bmp
                     bitmaps 4 and 5: the same at twice the size, for high
                     display resolutions

Each picture is a small calculator: a body, a display strip and a grid of
keys in the key colours of the program (blue digits, red operators, magenta
functions). The scientific one has many small keys, the standard one few
large ones. Only the standard library is used; run it again after a change
and commit the images it writes.
"""
import os
import struct

FACE = (240, 240, 240)
BODY = (64, 64, 72)
EDGE = (24, 24, 28)
SCREEN = (200, 224, 196)
INK = (32, 48, 32)
BLUE = (0, 0, 255)
RED = (255, 0, 0)
MAGENTA = (255, 0, 255)
KEY = (232, 232, 232)


class Canvas:
    def __init__(self, w, h, fill):
        self.w, self.h = w, h
        self.px = [[fill + (255,) for _ in range(w)] for _ in range(h)]

    def rect(self, x0, y0, x1, y1, rgb, alpha=255):
        for y in range(max(0, y0), min(self.h, y1)):
            for x in range(max(0, x0), min(self.w, x1)):
                self.px[y][x] = rgb + (alpha,)

    def clear(self, x0, y0, x1, y1):
        self.rect(x0, y0, x1, y1, (0, 0, 0), 0)


def calculator(size, cols, rows, transparent):
    """A calculator picture of size x size pixels with cols x rows keys."""
    c = Canvas(size, size, FACE)
    if transparent:
        c.clear(0, 0, size, size)
    m = max(1, size // 12)           # margin around the body
    c.rect(m, 0, size - m, size, EDGE)
    c.rect(m + 1, 1, size - m - 1, size - 1, BODY)
    # display strip with a short row of "digits"
    top = 2 + size // 16
    dh = max(3, size // 5)
    c.rect(m + 2, top, size - m - 2, top + dh, SCREEN)
    for i in range(3):
        x = size - m - 4 - i * 3
        c.rect(x, top + 1, x + 2, top + dh - 1, INK)
    # keys
    kx0, ky0 = m + 2, top + dh + 2
    kw_total, kh_total = size - 2 * m - 4, size - 2 - ky0
    gap = 1
    kw = (kw_total - gap * (cols - 1)) // cols
    kh = (kh_total - gap * (rows - 1)) // rows
    for r in range(rows):
        for k in range(cols):
            x = kx0 + k * (kw + gap)
            y = ky0 + r * (kh + gap)
            c.rect(x, y, x + kw, y + kh, KEY)
            if k == cols - 1:
                mark = RED
            elif cols > 3 and k < cols - 4:
                mark = MAGENTA
            else:
                mark = BLUE
            cx, cy = x + kw // 2, y + kh // 2
            c.rect(cx - max(0, kw // 4 - 1), cy, cx + max(1, kw // 4), cy + 1, mark)
    return c


def bmp24(canvas):
    row = (canvas.w * 3 + 3) & ~3
    data = bytearray()
    for y in reversed(range(canvas.h)):
        line = bytearray()
        for x in range(canvas.w):
            r, g, b, _ = canvas.px[y][x]
            line += bytes((b, g, r))
        line += bytes(row - len(line))
        data += line
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h, 1, 24, 0,
                         len(data), 2835, 2835, 0, 0)
    return struct.pack("<2sIHHI", b"BM", 14 + 40 + len(data), 0, 0,
                       14 + 40) + header + data


def icon_image(canvas):
    """One icon image: BITMAPINFOHEADER, 32-bit colour, 1-bit AND mask."""
    xor = bytearray()
    for y in reversed(range(canvas.h)):
        for x in range(canvas.w):
            r, g, b, a = canvas.px[y][x]
            xor += bytes((b, g, r, a))
    mask_row = ((canvas.w + 31) // 32) * 4
    mask = bytearray()
    for y in reversed(range(canvas.h)):
        bits = bytearray(mask_row)
        for x in range(canvas.w):
            if canvas.px[y][x][3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    header = struct.pack("<IiiHHIIiiII", 40, canvas.w, canvas.h * 2, 1, 32,
                         0, len(xor) + len(mask), 0, 0, 0, 0)
    return header + xor + mask


def ico(canvases):
    images = [icon_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, img in zip(canvases, images):
        out += struct.pack("<BBBBHHII", c.w % 256, c.h % 256, 0, 0, 1, 32,
                           len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    here = os.path.dirname(os.path.abspath(__file__))

    def write(name, data):
        with open(os.path.join(here, name), "wb") as f:
            f.write(data)

    write("quib.ico", ico([calculator(32, 4, 4, True),
                           calculator(16, 3, 3, True)]))
    write("to_scientific.bmp", bmp24(calculator(24, 5, 4, False)))
    write("to_standard.bmp", bmp24(calculator(24, 3, 3, False)))
    write("to_scientific_2x.bmp", bmp24(calculator(48, 5, 4, False)))
    write("to_standard_2x.bmp", bmp24(calculator(48, 3, 3, False)))


if __name__ == "__main__":
    main()
