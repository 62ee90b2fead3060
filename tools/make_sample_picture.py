#!/usr/bin/env python3
"""Draws the sample picture on which style previews are painted: a small
landscape (sky, sun, hills, a house, a tree, a lake) with hard edges, soft
gradients and the full range of tones, so a preview shows how strokes follow
contours. Writes a 256 x 128 24-bit BMP. Standard library only; run it from
the repository root and commit the picture:

    python3 tools/make_sample_picture.py engine/resources/sample_picture.bmp
"""
import math
import struct
import sys

W, H = 256, 128


def mix(a, b, t):
    t = max(0.0, min(1.0, t))
    return tuple(x + (y - x) * t for x, y in zip(a, b))


def smooth(e0, e1, x):
    t = max(0.0, min(1.0, (x - e0) / (e1 - e0)))
    return t * t * (3 - 2 * t)


def noise(x, y, seed):
    """Deterministic value noise in 0..1 (integer hash, smooth between)."""
    def h(i, j):
        n = (i * 374761393 + j * 668265263 + seed * 2147483647) & 0xFFFFFFFF
        n = ((n ^ (n >> 13)) * 1274126177) & 0xFFFFFFFF
        return ((n ^ (n >> 16)) & 0xFFFF) / 65535.0
    i, j = math.floor(x), math.floor(y)
    fx, fy = x - i, y - j
    fx, fy = fx * fx * (3 - 2 * fx), fy * fy * (3 - 2 * fy)
    a = h(i, j) + (h(i + 1, j) - h(i, j)) * fx
    b = h(i, j + 1) + (h(i + 1, j + 1) - h(i, j + 1)) * fx
    return a + (b - a) * fy


def far_hills(x):
    return 62 - 14 * math.sin(x / 37.0 + 0.6) - 6 * math.sin(x / 13.0)


def near_hill(x):
    return 84 - 22 * math.exp(-((x - 70) / 55.0) ** 2) + 3 * math.sin(x / 9.0)


HORIZON = 92  # top of the lake


def pixel(x, y):
    # Sky: deep blue overhead to a warm haze at the horizon, a sun with a glow.
    c = mix((70, 120, 190), (250, 214, 170), (y / 70.0) ** 1.3)
    sx, sy = 196, 34
    d = math.hypot(x - sx, y - sy)
    c = mix(c, (255, 240, 200), 0.6 * math.exp(-d / 18.0))
    if d < 11:
        c = mix((255, 250, 225), c, smooth(9.5, 11, d))
    # Clouds: soft, banded.
    cl = noise(x / 22.0, y / 6.0, 3) * smooth(30, 8, y)
    c = mix(c, (245, 245, 250), smooth(0.55, 0.8, cl))
    # Far hills: blue-grey, lighter with distance.
    if y > far_hills(x):
        c = mix((120, 135, 160), (150, 160, 178), (y - far_hills(x)) / 30.0)
    # Near hill: green, lit from the right, with grassy texture.
    if y > near_hill(x):
        shade = 0.5 + 0.5 * math.sin((x - 20) / 60.0)
        c = mix((50, 90, 40), (130, 170, 70), shade)
        c = mix(c, (30, 60, 25), 0.35 * noise(x / 3.0, y / 1.5, 7))
    # The house: light wall with a shadowed side, dark roof, a lit window.
    if 150 <= x < 190 and 60 <= y < 88:
        c = (226, 214, 190) if x < 178 else (160, 148, 130)
        if 158 <= x < 168 and 68 <= y < 78:
            c = (250, 220, 120) if not (x == 162 or y == 72) else (90, 70, 50)
        if 180 <= x < 186 and 74 <= y < 88:
            c = (90, 60, 40)
    roof = 60 - (20 - abs(x - 170)) * 0.75
    if 146 <= x < 194 and roof <= y < 61 and abs(x - 170) <= 24:
        c = mix((140, 50, 35), (80, 30, 25), (x - 146) / 48.0)
    # The tree: a trunk and a round canopy shaded from the upper right.
    if 222 <= x < 228 and 66 <= y < 92:
        c = (80, 55, 35)
    dx, dy = x - 225, y - 54
    r = math.hypot(dx, dy)
    if r < 19 + 3 * noise(x / 4.0, y / 4.0, 11):
        light = 0.5 + 0.5 * (dx * 0.6 - dy * 0.8) / 19.0
        c = mix((20, 55, 25), (110, 160, 60), light)
        c = mix(c, (15, 40, 20), 0.4 * noise(x / 2.5, y / 2.5, 13))
    # The lake: reflects the sky and the hills, broken by ripples.
    if y >= HORIZON:
        my = 2 * HORIZON - 1 - y
        base = pixel(x, max(0, my)) if my >= 0 else (70, 120, 190)
        ripple = 0.5 + 0.5 * math.sin(y * 1.7 + 3 * noise(x / 18.0, y / 2.0, 17))
        c = mix(mix(base, (40, 70, 110), 0.45), (200, 215, 230), 0.25 * ripple * smooth(0.6, 1.0, noise(x / 9.0, y, 19)))
    # A dark shore line and a pale path down the hill.
    if HORIZON - 1 <= y < HORIZON + 1:
        c = (40, 45, 40)
    if near_hill(x) < y < HORIZON and abs(x - (100 + (y - 70) * 1.6)) < 2 + (y - 70) * 0.15:
        c = (205, 190, 150)
    return c


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else "sample_picture.bmp"
    row_bytes = W * 3
    image = bytearray()
    for y in range(H - 1, -1, -1):  # bottom-up rows
        for x in range(W):
            r, g, b = (int(round(max(0, min(255, v)))) for v in pixel(x, y))
            image += bytes((b, g, r))
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 24, 0, len(image), 2835, 2835, 0, 0)
    assert row_bytes % 4 == 0
    with open(out, "wb") as f:
        f.write(header + info + image)


if __name__ == "__main__":
    main()
