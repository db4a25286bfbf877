#!/usr/bin/env python3
"""Builds Varnelo's icon file from its text picture.

usage: make_icon.py PICTURE.txt OUTPUT.ico

The picture has "colour LETTER INDEX NAME" lines that map letters to
indices of the standard 16-colour palette, then 32 rows of 32 letters,
top row first. Lines starting with "#" are comments. The output holds one
32 x 32 image with 4 bits per pixel and an all-zero AND mask, so every
pixel is opaque.
"""

import struct
import sys

SIZE = 32
BITS_PER_PIXEL = 4
PALETTE_SIZE = 16

# The standard 16-colour palette as (red, green, blue), in index order.
STANDARD_PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]

ICON_RESOURCE_TYPE = 1
BITMAPINFOHEADER_SIZE = 40
ICONDIR_SIZE = 6
ICONDIRENTRY_SIZE = 16


class PictureError(Exception):
    pass


def read_picture(path):
    """Returns the picture as SIZE rows of SIZE palette indices."""
    legend = {}
    rows = []
    with open(path, encoding="ascii") as source:
        for number, line in enumerate(source, start=1):
            text = line.rstrip("\n")
            if not text.strip() or text.startswith("#"):
                continue
            if text.startswith("colour "):
                legend.update(parse_legend_line(text, number))
            else:
                rows.append((number, text))
    if len(rows) != SIZE:
        raise PictureError(f"{path}: {len(rows)} picture rows, expected {SIZE}")
    return [row_indices(text, number, legend) for number, text in rows]


def parse_legend_line(text, number):
    fields = text.split()
    if len(fields) < 3 or len(fields[1]) != 1 or not fields[2].isdigit():
        raise PictureError(f"line {number}: expected 'colour LETTER INDEX NAME'")
    index = int(fields[2])
    if index >= PALETTE_SIZE:
        raise PictureError(f"line {number}: palette index {index} out of range")
    return {fields[1]: index}


def row_indices(text, number, legend):
    if len(text) != SIZE:
        raise PictureError(f"line {number}: {len(text)} pixels, expected {SIZE}")
    unknown = sorted(set(text) - legend.keys())
    if unknown:
        raise PictureError(f"line {number}: letters {''.join(unknown)} not in the legend")
    return [legend[letter] for letter in text]


def pack_colour_bits(pixels):
    """Packs the rows bottom-up, two pixels a byte, the left one in the high nibble."""
    data = bytearray()
    for row in reversed(pixels):
        for left, right in zip(row[0::2], row[1::2]):
            data.append(left << 4 | right)
    return bytes(data)


def icon_image(pixels):
    colour_bits = pack_colour_bits(pixels)
    mask_row_bytes = (SIZE + 31) // 32 * 4
    and_mask = bytes(mask_row_bytes * SIZE)
    palette = b"".join(struct.pack("<BBBB", blue, green, red, 0)
                       for red, green, blue in STANDARD_PALETTE)
    # The header's height counts the colour bitmap and the mask together.
    header = struct.pack("<IiiHHIIiiII", BITMAPINFOHEADER_SIZE, SIZE, 2 * SIZE, 1,
                         BITS_PER_PIXEL, 0, len(colour_bits) + len(and_mask), 0, 0, 0, 0)
    return header + palette + colour_bits + and_mask


def icon_file(pixels):
    image = icon_image(pixels)
    directory = struct.pack("<HHH", 0, ICON_RESOURCE_TYPE, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, PALETTE_SIZE, 0, 1, BITS_PER_PIXEL,
                        len(image), ICONDIR_SIZE + ICONDIRENTRY_SIZE)
    return directory + entry + image


def main(argv):
    if len(argv) != 3:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    try:
        pixels = read_picture(argv[1])
    except (OSError, PictureError) as error:
        print(f"make_icon.py: {error}", file=sys.stderr)
        return 1
    with open(argv[2], "wb") as output:
        output.write(icon_file(pixels))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
