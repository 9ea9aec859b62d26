#!/usr/bin/env python3
"""Draws the program's icon: the brand mark's amber parallelogram leaning right, carrying a
black "V", on a transparent ground, as PNG images of seven sizes packed into one .ico.

    python3 resources/make_icon.py [out.ico]     (default: resources/quorvel.ico)

It needs PIL (Debian: python3-pil, so /usr/bin/python3).

The .ico is committed, so building needs no Python; run this again only to change the art.
The output is the same byte for byte on every run.
"""
import io
import struct
import sys
from pathlib import Path

from PIL import Image, ImageDraw

SIZES = (16, 24, 32, 48, 64, 128, 256)
AMBER = (255, 196, 0, 255)
BLACK = (0, 0, 0, 255)
SUPERSAMPLE = 8  # drawn this much larger, then reduced: smooth edges at every size


def shear(points, slant, height, top):
    """Leans points right like the parallelogram: a point at the top moves slant to the right."""
    return [(x + slant * (top + height - y) / height, y) for x, y in points]


def draw_mark(size):
    big = size * SUPERSAMPLE
    image = Image.new("RGBA", (big, big), (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    # The brand mark's proportions: the top edge is height / 5 to the right of the bottom one.
    margin = big * 0.04
    top, bottom = big * 0.10, big * 0.90
    height = bottom - top
    slant = height / 5
    left, right = margin, big - margin
    draw.polygon([(left + slant, top), (right, top), (right - slant, bottom), (left, bottom)],
                 fill=AMBER)

    # The "V", leaning with the shape; its strokes stay thick enough to read at 16 pixels.
    centre = (left + right - slant) / 2
    v_top, v_bottom = top + height * 0.16, bottom - height * 0.14
    half, stroke = height * 0.30, height * 0.19
    v = [(centre - half, v_top), (centre - half + stroke, v_top), (centre, v_bottom - stroke * 1.35),
         (centre + half - stroke, v_top), (centre + half, v_top), (centre + stroke * 0.55, v_bottom),
         (centre - stroke * 0.55, v_bottom)]
    draw.polygon(shear(v, slant, height, top), fill=BLACK)
    return image.resize((size, size), Image.LANCZOS)


def png_bytes(image):
    out = io.BytesIO()
    image.save(out, "PNG", optimize=True)
    return out.getvalue()


def pack_ico(images):
    """ICONDIR, one ICONDIRENTRY per image (a width or height of 256 is written as 0), then the
    PNG streams in the same order."""
    header = struct.pack("<HHH", 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    entries, data = b"", b""
    for size, png in images:
        dimension = 0 if size == 256 else size
        entries += struct.pack("<BBBBHHII", dimension, dimension, 0, 0, 1, 32, len(png), offset)
        offset += len(png)
        data += png
    return header + entries + data


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("quorvel.ico")
    out.write_bytes(pack_ico([(size, png_bytes(draw_mark(size))) for size in SIZES]))
    print(f"{out}: {', '.join(map(str, SIZES))}")


if __name__ == "__main__":
    main()
