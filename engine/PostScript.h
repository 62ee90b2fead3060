// Text of the PostScript export: numbers with exactly four decimals and a
// "." whatever the locale, points mapped onto an A4 page in inches.
#pragma once

#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <string>

// Four decimals, at least one digit before the point, a minus when negative;
// exact halves round away from zero ("0.0313" for 1/32).
std::string PostScriptNumber(double value);
// Two numbers separated by a blank.
std::string PostScriptNumbers(double a, double b);
// Red, green and blue over 255, each followed by a blank.
std::string PostScriptColor(TColor32 color);

// Where the drawing of a W x H image lands on the page.
struct TPostScriptPage {
    float S = 0;   // inches per image pixel fitting the image on 8.26 x 11.69 inches
    double K = 0;  // the drawing's shrink factor, not rounded to single precision
    float TX = 0, TY = 0;
    int32_t Height = 0;

    TPostScriptPage(int32_t width, int32_t height, double k);
    // An outline point (16.16) as "x y" on the page.
    std::string Point(const TFixedPoint& p) const;
};
