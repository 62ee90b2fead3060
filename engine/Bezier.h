// Integer cubic Bezier curves: the record every curve of the engine is made
// of, its fixed eight-piece subdivision, and rasterizing and cutting a curve
// into pieces of a given length.
#pragma once

#include "gfx/Geometry.h"

// One cubic curve as four integer points; 32 bytes on disk in this order.
struct TBezier {
    TPoint P0, P1, P2, P3;
    friend bool operator==(const TBezier&, const TBezier&) = default;
};
