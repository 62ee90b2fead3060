#!/usr/bin/env python3
"""Draws the bitmap slider's default looks into controls/resources/.

OCRATHUMB.png (52 x 8): the thumb, normal look on the left half, pressed look
on the right half. OCRARULER.png (191 x 11): the ruler, a groove that runs
from black to white under the thumb's centre, since the slider's one user sets
a lightness; the strips above and below it are clear.

Run from the repository root: python3 tools/make_slider_bitmaps.py
Only the standard library is used, so the PNGs can be redrawn anywhere.
"""
import os
import struct
import zlib

THUMB_W, THUMB_H = 26, 8
RULER_W, RULER_H = 191, 11
GROOVE_EDGE = (112, 112, 112, 255)
CLEAR = (0, 0, 0, 0)


def write_png(path, width, height, pixels):
    """pixels: rows of (r, g, b, a) tuples, top row first."""
    raw = b"".join(b"\x00" + bytes(c for px in row for c in px) for row in pixels)

    def chunk(tag, data):
        return (struct.pack(">I", len(data)) + tag + data +
                struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                  chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(3)) + (255,)


def thumb_look(top, bottom, edge, notch):
    """A rounded pill with a vertical fill gradient and a two-pixel centre notch."""
    rows = []
    for y in range(THUMB_H):
        row = []
        for x in range(THUMB_W):
            corner = (x in (0, THUMB_W - 1)) and (y in (0, THUMB_H - 1))
            border = x in (0, THUMB_W - 1) or y in (0, THUMB_H - 1)
            if corner:
                row.append(CLEAR)
            elif border:
                row.append(edge)
            elif x in (THUMB_W // 2 - 1, THUMB_W // 2) and 2 <= y <= THUMB_H - 3:
                row.append(notch)
            else:
                row.append(mix(top, bottom, (y - 1) / (THUMB_H - 3)))
        rows.append(row)
    return rows


def thumb():
    normal = thumb_look((248, 248, 248), (196, 196, 196), (80, 80, 80, 255), (48, 48, 48, 255))
    pressed = thumb_look((176, 176, 176), (226, 226, 226), (40, 40, 40, 255), (42, 111, 219, 255))
    return [normal[y] + pressed[y] for y in range(THUMB_H)]


def ruler():
    # The thumb's centre travels from half a thumb in to half a thumb from the end.
    start, end = THUMB_W // 2, RULER_W - THUMB_W // 2 - 1
    rows = []
    for y in range(RULER_H):
        row = []
        for x in range(RULER_W):
            if y < 2 or y > 8:
                row.append(CLEAR)  # the window's own colour shows through
            elif y in (2, 8) or x in (0, RULER_W - 1):
                row.append(GROOVE_EDGE)
            else:
                t = min(max((x - start) / (end - start), 0.0), 1.0)
                row.append(mix((0, 0, 0), (255, 255, 255), t))
        rows.append(row)
    return rows


def main():
    folder = os.path.join("controls", "resources")
    os.makedirs(folder, exist_ok=True)
    write_png(os.path.join(folder, "OCRATHUMB.png"), 2 * THUMB_W, THUMB_H, thumb())
    write_png(os.path.join(folder, "OCRARULER.png"), RULER_W, RULER_H, ruler())


if __name__ == "__main__":
    main()
