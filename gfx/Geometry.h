// Integer and 16.16 fixed-point geometry shared by every layer.
#pragma once

#include "gfx/Rounding.h"

#include <cstdint>
#include <vector>

struct TPoint {
    int32_t X = 0, Y = 0;
    friend bool operator==(const TPoint&, const TPoint&) = default;
};

struct TRect {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    friend bool operator==(const TRect&, const TRect&) = default;
};

inline TPoint Point(int32_t x, int32_t y) { return {x, y}; }

// Liang-Barsky: the part [t0, t1] of the segment (x1, y1) + t (dx, dy),
// 0 <= t <= 1, that lies within [loX, hiX] x [loY, hiY]; false when none.
inline bool ClipSegmentRange(double x1, double y1, double dx, double dy, double loX, double loY, double hiX,
                             double hiY, double& t0, double& t1)
{
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x1 - loX, hiX - x1, y1 - loY, hiY - y1};
    t0 = 0;
    t1 = 1;
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0) {
            if (q[i] < 0) return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
            t0 = t > t0 ? t : t0;
        else
            t1 = t < t1 ? t : t1;
        if (t0 > t1) return false;
    }
    return true;
}
inline TRect Rect(int32_t l, int32_t t, int32_t r, int32_t b) { return {l, t, r, b}; }

// The overlap of two rectangles; empty (Right <= Left or Bottom <= Top) when none.
inline TRect IntersectRect(const TRect& a, const TRect& b)
{
    TRect r{a.Left > b.Left ? a.Left : b.Left, a.Top > b.Top ? a.Top : b.Top,
            a.Right < b.Right ? a.Right : b.Right, a.Bottom < b.Bottom ? a.Bottom : b.Bottom};
    return r;
}

inline bool PtInRect(const TRect& r, const TPoint& p)
{
    return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
}

// 16.16 signed fixed point.
using TFixed = int32_t;
constexpr TFixed FixedOne = 65536;

struct TFixedPoint {
    TFixed X = 0, Y = 0;
    friend bool operator==(const TFixedPoint&, const TFixedPoint&) = default;
};

using TArrayOfFixedPoint = std::vector<TFixedPoint>;

struct TFloatPoint {
    double X = 0, Y = 0;
};

inline double FixedToFloat(TFixed f) { return f / 65536.0; }
inline TFixed Fixed(double f) { return Round(f * 65536.0); }
inline TFixedPoint FixedPoint(double x, double y) { return {Fixed(x), Fixed(y)}; }
inline TFixedPoint FixedPoint(const TPoint& p) { return {p.X * FixedOne, p.Y * FixedOne}; }
inline TFloatPoint FloatPoint(const TFixedPoint& p) { return {FixedToFloat(p.X), FixedToFloat(p.Y)}; }
