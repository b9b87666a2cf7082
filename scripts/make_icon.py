#!/usr/bin/env python3
"""Draw the program icon and write it as a Windows .ico file.

Usage: make_icon.py OUT.ico

The picture is a serial-port card: a green board with a row of four 9-pin
connectors along its top edge, a chip in the middle and gold contacts at the
bottom.  The file holds three 32 x 32 images, in this order:

  1. monochrome (1 bpp), for monochrome displays;
  2. 16 colours (4 bpp), palette in the display driver's order
     (index 7 light grey, index 8 dark grey);
  3. 16 colours (4 bpp), the same picture with the two greys swapped in the
     palette, as older icon editors stored them.

Each image is a bottom-up DIB with a BITMAPINFOHEADER whose height counts the
XOR bitmap and the AND mask together.  Only the standard library is used and
the output depends on nothing but this file, so builds are reproducible.
"""

import struct
import sys

SIZE = 32

# Colour names used by the drawing; None is a transparent pixel.
BLACK, MAROON, GREEN, OLIVE, NAVY, PURPLE, TEAL, SILVER = range(8)
GREY, RED, LIME, YELLOW, BLUE, FUCHSIA, AQUA, WHITE = range(8, 16)

RGB = {
    BLACK: (0x00, 0x00, 0x00), MAROON: (0x80, 0x00, 0x00),
    GREEN: (0x00, 0x80, 0x00), OLIVE: (0x80, 0x80, 0x00),
    NAVY: (0x00, 0x00, 0x80), PURPLE: (0x80, 0x00, 0x80),
    TEAL: (0x00, 0x80, 0x80), SILVER: (0xC0, 0xC0, 0xC0),
    GREY: (0x80, 0x80, 0x80), RED: (0xFF, 0x00, 0x00),
    LIME: (0x00, 0xFF, 0x00), YELLOW: (0xFF, 0xFF, 0x00),
    BLUE: (0x00, 0x00, 0xFF), FUCHSIA: (0xFF, 0x00, 0xFF),
    AQUA: (0x00, 0xFF, 0xFF), WHITE: (0xFF, 0xFF, 0xFF),
}

# Palette orders: colour name at each index.
DRIVER_ORDER = list(range(16))
EDITOR_ORDER = DRIVER_ORDER[:7] + [GREY, SILVER] + DRIVER_ORDER[9:]

CONNECTOR_LEFTS = (3, 10, 17, 24)


def fill(img, x0, y0, x1, y1, colour):
    """Fill the inclusive rectangle (x0, y0)-(x1, y1); y grows downwards."""
    for y in range(y0, y1 + 1):
        for x in range(x0, x1 + 1):
            img[y][x] = colour


def frame(img, x0, y0, x1, y1, colour):
    fill(img, x0, y0, x1, y0, colour)
    fill(img, x0, y1, x1, y1, colour)
    fill(img, x0, y0, x0, y1, colour)
    fill(img, x1, y0, x1, y1, colour)


def draw_colour():
    img = [[None] * SIZE for _ in range(SIZE)]

    # Board with a dark outline.
    fill(img, 2, 12, 29, 25, GREEN)
    frame(img, 2, 12, 29, 25, BLACK)

    # Edge contacts below the board, every other column.
    fill(img, 7, 26, 24, 26, BLACK)
    for x in range(8, 24, 2):
        fill(img, x, 26, x, 28, YELLOW)

    # Chip with its legs, and a red activity light.
    fill(img, 10, 16, 21, 20, BLACK)
    for x in range(11, 21, 2):
        img[15][x] = SILVER
        img[21][x] = SILVER
    fill(img, 25, 16, 26, 17, RED)

    # Solder tags where each connector meets the board.
    for left in CONNECTOR_LEFTS:
        fill(img, left + 2, 12, left + 3, 13, YELLOW)

    # Row of 9-pin connectors: metal shell, dark face, pins.
    for left in CONNECTOR_LEFTS:
        fill(img, left, 4, left + 5, 11, SILVER)
        frame(img, left, 4, left + 5, 11, GREY)
        fill(img, left + 1, 6, left + 4, 9, NAVY)
        for x in (left + 1, left + 3):
            img[6][x] = YELLOW
        for x in (left + 2, left + 4):
            img[8][x] = YELLOW
    return img


def draw_mono():
    """The same card in black on white, for monochrome displays."""
    img = [[None] * SIZE for _ in range(SIZE)]
    fill(img, 2, 12, 29, 25, WHITE)
    frame(img, 2, 12, 29, 25, BLACK)
    fill(img, 7, 26, 24, 26, BLACK)
    for x in range(8, 24, 2):
        fill(img, x, 26, x, 28, BLACK)
    fill(img, 10, 16, 21, 20, BLACK)
    for x in range(11, 21, 2):
        img[15][x] = BLACK
        img[21][x] = BLACK
    fill(img, 25, 16, 26, 17, BLACK)
    for left in CONNECTOR_LEFTS:
        fill(img, left, 4, left + 5, 11, WHITE)
        frame(img, left, 4, left + 5, 11, BLACK)
        fill(img, left + 1, 6, left + 4, 9, BLACK)
        for x in (left + 1, left + 3):
            img[6][x] = WHITE
        for x in (left + 2, left + 4):
            img[8][x] = WHITE
    return img


def pack_rows(rows, bits):
    """Pack top-down rows of small integers into a bottom-up DIB bit array,
    each row padded to a multiple of four bytes."""
    out = bytearray()
    per_byte = 8 // bits
    for row in reversed(rows):
        line = bytearray()
        for i in range(0, len(row), per_byte):
            byte = 0
            for value in row[i:i + per_byte]:
                byte = (byte << bits) | value
            line.append(byte)
        while len(line) % 4:
            line.append(0)
        out += line
    return bytes(out)


def dib(img, palette, bits):
    """One icon image: header, palette, XOR bitmap, AND mask.  Transparent
    pixels are index 0 (black) in the XOR bitmap and set in the mask."""
    index = {colour: i for i, colour in enumerate(palette)}
    xor_rows = [[0 if c is None else index[c] for c in row] for row in img]
    and_rows = [[1 if c is None else 0 for c in row] for row in img]
    xor_bits = pack_rows(xor_rows, bits)
    and_bits = pack_rows(and_rows, 1)
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, bits, 0,
                         len(xor_bits) + len(and_bits), 0, 0, 0, 0)
    quads = b''.join(struct.pack('<BBBB', RGB[c][2], RGB[c][1], RGB[c][0], 0)
                     for c in palette)
    return header + quads + xor_bits + and_bits


def icon_file(images):
    """images: list of (colour count, bits per pixel, DIB bytes)."""
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for colours, bits, data in images:
        out += struct.pack('<BBBBHHII', SIZE, SIZE, colours, 0, 1, bits,
                           len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


def main(argv):
    if len(argv) != 2:
        sys.stderr.write('usage: make_icon.py OUT.ico\n')
        return 2
    colour = draw_colour()
    images = [
        (2, 1, dib(draw_mono(), [BLACK, WHITE], 1)),
        (16, 4, dib(colour, DRIVER_ORDER, 4)),
        (16, 4, dib(colour, EDITOR_ORDER, 4)),
    ]
    with open(argv[1], 'wb') as f:
        f.write(icon_file(images))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
