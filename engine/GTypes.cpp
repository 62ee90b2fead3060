#include "engine/GTypes.h"

#include "gfx/Errors.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

// --- Colour ---------------------------------------------------------------

TColor32 ScaleColor32(TColor32 color, uint8_t f)
{
    return Color32(static_cast<uint8_t>(RedComponent(color) * f / 255), static_cast<uint8_t>(GreenComponent(color) * f / 255),
                   static_cast<uint8_t>(BlueComponent(color) * f / 255));
}

TColor32 BlendColor32(TColor32 color1, TColor32 color2, uint8_t w)
{
    auto mix = [w](uint8_t c1, uint8_t c2) { return static_cast<uint8_t>(w * c1 / 255 + (255 - w) * c2 / 255); };
    return Color32(mix(RedComponent(color1), RedComponent(color2)), mix(GreenComponent(color1), GreenComponent(color2)),
                   mix(BlueComponent(color1), BlueComponent(color2)));
}

void JitterColorHSL(TColor32& color, uint8_t hueRange, uint8_t satRange, uint8_t lightRange, double dh, double ds,
                    double dl)
{
    THSL hsl = RGBToHSL(color);
    // The three draws come in this order: hue, saturation, lightness.
    hsl.H = Single(hsl.H + (Random(hueRange) - hueRange / 2.0) / 255.0);
    hsl.S = Single(hsl.S + (Random(satRange) - satRange / 2.0) / 255.0);
    hsl.L = Single(hsl.L + (Random(lightRange) - lightRange / 2.0) / 255.0);
    // The hue is clamped like the others, not wrapped round.
    auto clamp01 = [](double v) { return Single(v < 0 ? 0.0 : (v > 1 ? 1.0 : v)); };
    hsl.H = clamp01(hsl.H + dh);
    hsl.S = clamp01(hsl.S + ds);
    hsl.L = clamp01(hsl.L + dl);
    color = HSLToRGB(hsl.H, hsl.S, hsl.L);
}

// --- Bitmaps --------------------------------------------------------------

void BurnBitmap(TBitmap32& bmp, TColor32 color)
{
    const int cr = RedComponent(color), cg = GreenComponent(color), cb = BlueComponent(color);
    auto burn = [](int p, int c) { return static_cast<uint8_t>(std::max(0, p + c - 255)); };
    TColor32* p = bmp.Bits();
    for (int64_t i = 0, n = int64_t(bmp.Width()) * bmp.Height(); i < n; ++i)
        p[i] = Color32(burn(RedComponent(p[i]), cr), burn(GreenComponent(p[i]), cg), burn(BlueComponent(p[i]), cb));
}

void InvertBitmap(TBitmap32& bmp)
{
    TColor32* p = bmp.Bits();
    for (int64_t i = 0, n = int64_t(bmp.Width()) * bmp.Height(); i < n; ++i) p[i] ^= 0x00FFFFFFu;
}

std::unique_ptr<TBitmap32> NewBitmap32(int32_t width, int32_t height, TColor32 color)
{
    return std::make_unique<TBitmap32>(width, height, color);
}

std::unique_ptr<TBitmap32> CopyBitmapRect(const TBitmap32& src, const TRect& r)
{
    auto out = std::make_unique<TBitmap32>();
    out->SetSize(std::max(0, r.Width()), std::max(0, r.Height()));
    // Draw clips to the source, so a rectangle reaching outside leaves zeros there.
    out->Draw(0, 0, r, src);
    return out;
}

// --- Geometry -------------------------------------------------------------

TRect BoundingRect(const TRect& a, const TRect& b)
{
    return {std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right), std::max(a.Bottom, b.Bottom)};
}

TRect ScaleRect(const TRect& r, double f)
{
    return {Round(r.Left * f), Round(r.Top * f), Round(r.Right * f), Round(r.Bottom * f)};
}

TPoint MidPoint(const TPoint& a, const TPoint& b)
{
    return {static_cast<int32_t>((int64_t(a.X) + b.X) / 2), static_cast<int32_t>((int64_t(a.Y) + b.Y) / 2)};
}

void ScalePoint(TPoint& p, double f) { p = {Round(p.X * f), Round(p.Y * f)}; }

void ScalePoints(std::span<TPoint> points, double f)
{
    for (TPoint& p : points) ScalePoint(p, f);
}

namespace {

int32_t SaturatedSum(int32_t a, int32_t b)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(int64_t(a) + b, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

} // namespace

void OffsetPoint(TPoint& p, const TPoint& d)
{
    // Pattern curves are read from files as they stand; moving a point of
    // one near the range's end must not wrap it round to the other end.
    p = {SaturatedSum(p.X, d.X), SaturatedSum(p.Y, d.Y)};
}

void OffsetPoints(std::span<TPoint> points, const TPoint& d)
{
    for (TPoint& p : points) OffsetPoint(p, d);
}

void OffsetAndScalePoints(std::span<TPoint> points, const TPoint& d, double f)
{
    // Both sums are exact in double.
    for (TPoint& p : points) p = {Round((double(p.X) + d.X) * f), Round((double(p.Y) + d.Y) * f)};
}

void JitterPoint(TPoint& p, int32_t range)
{
    p.X += Random(range) - range / 2;
    p.Y += Random(range) - range / 2;
}

void JitterPoints(std::span<TPoint> points, int32_t shift, int32_t range)
{
    TPoint common;
    common.X = Random(shift) - shift / 2;
    common.Y = Random(shift) - shift / 2;
    OffsetPoints(points, common);
    for (TPoint& p : points) JitterPoint(p, range);
}

void JitterEnds(std::span<TPoint> points)
{
    if (points.empty()) return;
    TPoint& first = points.front();
    TPoint& last = points.back();
    const int32_t hx = std::abs(first.X - last.X) / 2;
    const int32_t hy = std::abs(first.Y - last.Y) / 2;
    first.X += Random(hx) - hx / 2;
    first.Y += Random(hy) - hy / 2;
    last.X += Random(hx) - hx / 2;
    last.Y += Random(hy) - hy / 2;
}

float Distance(const TPoint& a, const TPoint& b)
{
    // Each square fits 64 unsigned bits for any two 32-bit points.
    const uint64_t dx = static_cast<uint64_t>(std::abs(int64_t(a.X) - b.X));
    const uint64_t dy = static_cast<uint64_t>(std::abs(int64_t(a.Y) - b.Y));
    return Single(std::sqrt(double(dx * dx) + double(dy * dy)));
}

float ControlPolygonLength(const TBezier& b)
{
    return Single(double(Distance(b.P0, b.P1)) + double(Distance(b.P1, b.P2)) + double(Distance(b.P2, b.P3)));
}

int32_t StrokeCountFormula(int32_t a, int32_t b, int32_t divisor)
{
    if (a == 0 || divisor == 0) return 0;
    // 400 * B is a 32-bit product; the rest is carried in 64 bits.
    const int32_t product = static_cast<int32_t>(400u * static_cast<uint32_t>(b));
    const int64_t rounded = Round64(double(product) / a);
    // |total| stays below 2^34, so even a divisor of -1 cannot overflow.
    const int64_t total = 3 * int64_t(a) + rounded;
    return static_cast<int32_t>(total / divisor);
}

int32_t JitteredLength(int32_t length)
{
    const int64_t n = int64_t(length) + Random(length / 10) - length / 20;
    return static_cast<int32_t>(std::clamp<int64_t>(n, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

uint8_t DirectionToByte(double y, double x)
{
    const float fy = Single(y), fx = Single(x);
    float a;
    if (fx == 0) {
        a = fy > 0 ? Single(1.5708) : Single(4.7124);
    } else {
        a = Single(std::atan2(double(fy), double(fx)) / 2.0);
        if (a < 0) a = Single(a + 6.2832);
    }
    return static_cast<uint8_t>(Round(a / 6.2832 * 255.0));
}

namespace {

// atan(t) on 0..1 within 2e-8 (Abramowitz and Stegun 4.4.49).
inline double AtanUnit(double t)
{
    const double t2 = t * t;
    return t * (1 + t2 * (-0.3333314528 + t2 * (0.1999355085 + t2 * (-0.1420889944 + t2 * (0.1065626393 +
           t2 * (-0.0752896400 + t2 * (0.0429096138 + t2 * (-0.0161657367 + t2 * 0.0028662257))))))));
}

} // namespace

uint8_t DirectionToByteFast(float y, float x)
{
    // Zero, infinite and NaN parts go the exact way: the ratio below would
    // turn inf / inf into NaN where atan2 knows the angle.
    if (x == 0 || !std::isfinite(x) || !std::isfinite(y)) return DirectionToByte(y, x);
    const double ax = std::fabs(double(x)), ay = std::fabs(double(y));
    double r = ay <= ax ? AtanUnit(ay / ax) : M_PI_2 - AtanUnit(ax / ay);
    if (x < 0) r = M_PI - r;
    if (std::signbit(y)) r = -r;
    const double half = r / 2.0;
    // The exact routine is needed where the approximation (2e-8 rad) and the
    // single-precision stores could tip the rounding: near a byte boundary,
    // and near 0, where a hair below wraps round to 255.
    if (std::fabs(half) < 1e-4) return DirectionToByte(y, x);
    const double v = (half < 0 ? half + 6.2832 : half) / 6.2832 * 255.0;
    if (std::fabs(v - std::floor(v) - 0.5) < 1e-3) return DirectionToByte(y, x);
    return static_cast<uint8_t>(Round(v));
}

TVectorSample InterpolateIDW(std::span<const TVectorSample> samples, const TPoint& p)
{
    TVectorSample out;
    out.X = p.X;
    out.Y = p.Y;
    if (samples.empty()) return out;

    std::vector<float> weights(samples.size());
    double sum = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const double dx = double(samples[i].X) - p.X, dy = double(samples[i].Y) - p.Y;
        float d = Single(std::sqrt(dx * dx + dy * dy));
        if (!(d > 0)) d = 1;
        const double q = d / 10.0;
        weights[i] = Single(1.0 / (q * q * q));
        sum = Single(sum + weights[i]);
    }
    if (sum < 0.00001) sum = Single(0.00001);
    float vx = 0, vy = 0;
    for (size_t i = 0; i < samples.size(); ++i) {
        const float w = Single(weights[i] / sum);
        vx = Single(vx + double(w) * samples[i].VX);
        vy = Single(vy + double(w) * samples[i].VY);
    }
    auto sign = [](float v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); };
    // An undirected axis: always returned pointing into VY >= 0.
    if (sign(vx) == sign(vy)) {
        out.VX = std::fabs(vx);
        out.VY = std::fabs(vy);
    } else {
        out.VX = -std::fabs(vx);
        out.VY = std::fabs(vy);
    }
    return out;
}

// --- Drawing --------------------------------------------------------------

void DrawStrokePolygon(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest,
                       double scale, TColor32 color)
{
    TArrayOfFixedPoint polygon;
    polygon.reserve(left.size() + right.size());
    polygon.insert(polygon.end(), left.begin(), left.end());
    polygon.insert(polygon.end(), right.rbegin(), right.rend());
    if (scale != 1.0) {
        for (TFixedPoint& p : polygon) p = FixedPoint(FixedToFloat(p.X) * scale, FixedToFloat(p.Y) * scale);
    }
    PolygonFS(dest, polygon, color, TPolyFillMode::pfAlternate);
}

namespace {

// Joins the points of an arc by anti-aliased segments; colourOf(i) is the
// colour of segment i.
template <typename ColourOf>
void DrawSegmentedArc(TBitmap32& bmp, const std::vector<TFloatPoint>& points, ColourOf colourOf)
{
    for (size_t i = 1; i < points.size(); ++i)
        bmp.LineFS(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y, colourOf(static_cast<int>(i - 1)));
}

} // namespace

std::vector<TFloatPoint> ArcPoints(const TPoint& centre, double radius, double startAngle, double endAngle)
{
    std::vector<TFloatPoint> points;
    for (double a = startAngle; a <= endAngle + 0.1; a += 0.1)
        points.push_back({centre.X + radius * std::cos(a), centre.Y + radius * std::sin(a)});
    return points;
}

void DrawDashedCircle(TBitmap32& bmp, const TPoint& centre, TColor32 c1, TColor32 c2, double radius)
{
    // The pen switches after every point, so the first segment is drawn in C2.
    DrawSegmentedArc(bmp, ArcPoints(centre, radius, 0.0, 2 * M_PI), [c1, c2](int i) { return i % 2 == 0 ? c2 : c1; });
}

void DrawArc(TBitmap32& bmp, const TPoint& centre, TColor32 color, double radius, double startAngle, double endAngle)
{
    DrawSegmentedArc(bmp, ArcPoints(centre, radius, startAngle, endAngle), [color](int) { return color; });
}

// --- Errors ---------------------------------------------------------------

std::string IndexErrorMessage(int32_t index, const std::string& where)
{
    return where + ": Index out of bounds(" + std::to_string(index) + ")";
}

void RaiseIndexError(int32_t index, const std::string& where) { throw EngineError(IndexErrorMessage(index, where)); }
