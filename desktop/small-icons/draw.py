#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the 16 and 24 pixel icons pixel by pixel, as SVG of one square per
# pixel: scaled down, the large icon's detail turns into a blur, so these keep
# only what reads at that size (the tile, the track from its start to the
# waypoint pin, and at 24 pixels the two arrows of the conversion).
#   python3 desktop/small-icons/draw.py   (rewrites icon-16.svg and icon-24.svg beside it)
import os

TILE_TOP, TILE_BOTTOM = (0x2F, 0x8F, 0xA0), (0x17, 0x50, 0x5F)
COLOURS = {"D": "#0f3a46", "W": "#ffffff", "O": "#f08020", "o": "#b44c10", "t": "#17505f"}

# Pixel rows of the shapes drawn over the tile: (row, first column, text).
SHAPES = {
    16: [
        # the pin, its point at column 10, row 7
        (2, 9, "OOO"), (3, 8, "OOOOO"), (4, 8, "OOWOO"), (5, 8, "OOOOO"), (6, 9, "oOo"), (7, 10, "o"),
        # the track, from its start ring up to the pin
        (8, 9, "WW"), (9, 8, "WW"), (10, 6, "WWW"), (11, 2, "WWWWW"), (12, 2, "WtW"), (13, 2, "WWW"),
    ],
    24: [
        (2, 14, "OOOOO"), (3, 13, "OOOOOOO"), (4, 13, "OOWWWOO"), (5, 13, "OOWWWOO"), (6, 13, "OOWWWOO"),
        (7, 13, "OOOOOOO"), (8, 14, "OOOOO"), (9, 15, "oOo"), (10, 15, "oOo"), (11, 16, "o"),
        (12, 15, "WW"), (13, 14, "WW"), (14, 12, "WWW"), (15, 11, "WW"), (16, 9, "WWW"), (17, 8, "WW"),
        (16, 4, "WWW"), (17, 3, "WWWWW"), (18, 3, "WWtWW"), (19, 3, "WWWWW"), (20, 4, "WWW"),
        # the conversion: one file into another, as two opposed arrows on a white disc
        (15, 17, "WWW"), (16, 16, "WWWtW"), (17, 15, "WtttttW"), (18, 15, "WWWWWWW"), (19, 15, "WtttttW"),
        (20, 16, "WtWWW"), (21, 17, "WWW"),
    ],
}


def tile_colour(row, size):
    f = row / (size - 1)
    return "#%02x%02x%02x" % tuple(round(a + (b - a) * f) for a, b in zip(TILE_TOP, TILE_BOTTOM))


def draw(size):
    cut = 2 if size == 16 else 3  # the rounded corners, as steps
    pixels = {}
    for y in range(size):
        inset = max(0, cut - min(y, size - 1 - y))
        for x in range(inset, size - inset):
            edge = x in (inset, size - 1 - inset) or y in (0, size - 1) or (inset and x in (inset + 1, size - 2 - inset) and min(y, size - 1 - y) < cut - 1)
            pixels[(x, y)] = COLOURS["D"] if edge else tile_colour(y, size)
    for row, column, text in SHAPES[size]:
        for i, c in enumerate(text):
            assert 0 < column + i < size - 1, (size, row, column)
            pixels[(column + i, row)] = COLOURS[c]
    squares = "".join('<rect x="%d" y="%d" width="1" height="1" fill="%s"/>' % (x, y, c)
                      for (x, y), c in sorted(pixels.items(), key=lambda p: (p[0][1], p[0][0])))
    return ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d" '
            'shape-rendering="crispEdges">\n<title>kesTranscribe</title>\n%s\n</svg>\n' % (size, size, size, size, squares))


here = os.path.dirname(os.path.abspath(__file__))
for size in SHAPES:
    with open(os.path.join(here, "icon-%d.svg" % size), "w") as out:
        out.write(draw(size))
