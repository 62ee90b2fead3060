// Conversion between RGB and hue, saturation and lightness (each 0..1, hue as
// a fraction of the turn: 0 red, 1/3 green, 2/3 blue). The feature map, the
// stroke colours and the colour selector all rest on these exact rules.
#pragma once

#include "gfx/Color32.h"

#include <cstdint>

struct THSL {
    float H = 0, S = 0, L = 0;
};

// Every intermediate is a single-precision variable: each expression is
// evaluated in double and rounded once when stored.
THSL RGBToHSL(TColor32 color);

struct TRGBBytes {
    uint8_t R = 0, G = 0, B = 0;
};

TRGBBytes HSLToRGBBytes(double h, double s, double l);

inline TColor32 HSLToRGB(double h, double s, double l, uint8_t alpha = 255)
{
    const TRGBBytes c = HSLToRGBBytes(h, s, l);
    return Color32(c.R, c.G, c.B, alpha);
}
