#include "gfx/ColorHSL.h"

#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>

THSL RGBToHSL(TColor32 color)
{
    // Each named value is a float; every expression is evaluated in double and
    // rounded once on store. Half of all colours put L * 255 within a hair of
    // .5, so any other reading moves the darkness byte of many pixels.
    const float r = Single(RedComponent(color) / 255.0);
    const float g = Single(GreenComponent(color) / 255.0);
    const float b = Single(BlueComponent(color) / 255.0);
    const float cmax = std::max({r, g, b});
    const float cmin = std::min({r, g, b});
    THSL out;
    out.L = Single((double(cmax) + double(cmin)) / 2.0);
    if (cmax == cmin) return out;

    const float d = Single(double(cmax) - double(cmin));
    if (out.L < 0.5)
        out.S = Single(double(d) / (double(cmax) + double(cmin)));
    else
        out.S = Single(double(d) / (2.0 - double(cmax) - double(cmin)));

    float h;
    if (r == cmax)
        h = Single((double(g) - double(b)) / double(d));
    else if (g == cmax)
        h = Single(2.0 + (double(b) - double(r)) / double(d));
    else
        h = Single(4.0 + (double(r) - double(g)) / double(d));
    h = Single(double(h) / 6.0);
    if (h < 0) h = Single(double(h) + 1.0);
    out.H = h;
    return out;
}

namespace {

uint8_t Ramp(float hue, float m1, float m2)
{
    const float h = Single(double(hue) - std::floor(double(hue)));
    double v;
    if (6.0 * h < 1.0)
        v = double(m1) + (double(m2) - double(m1)) * double(h) * 6.0;
    else if (2.0 * h < 1.0)
        v = m2;
    else if (3.0 * h < 2.0)
        v = double(m1) + (double(m2) - double(m1)) * (2.0 / 3.0 - double(h)) * 6.0;
    else
        v = m1;
    return static_cast<uint8_t>(std::clamp(Round(255.0 * v), 0, 255));
}

} // namespace

TRGBBytes HSLToRGBBytes(double hIn, double sIn, double lIn)
{
    const float h = Single(hIn), s = Single(sIn), l = Single(lIn);
    TRGBBytes out;
    if (s == 0) {
        out.R = out.G = out.B = static_cast<uint8_t>(std::clamp(Round(255.0 * double(l)), 0, 255));
        return out;
    }
    const float m2 = l <= 0.5f ? Single(double(l) * (1.0 + double(s)))
                               : Single(double(l) + double(s) - double(l) * double(s));
    const float m1 = Single(2.0 * double(l) - double(m2));
    out.R = Ramp(Single(double(h) + 1.0 / 3.0), m1, m2);
    out.G = Ramp(h, m1, m2);
    out.B = Ramp(Single(double(h) - 1.0 / 3.0), m1, m2);
    return out;
}
