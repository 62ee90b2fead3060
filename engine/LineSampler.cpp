#include "engine/LineSampler.h"

#include "engine/FeatureExtractor.h"
#include "gfx/ColorHSL.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

namespace {

// Paths of at least this many steps are smoothed into a fitted curve.
constexpr int32_t MinTracedLength = 30;
// Map directions are read every this many steps of a traced or short walk.
constexpr int32_t DirectionReadInterval = 20;
// Directions this close to the opposite of the current one are flipped, so
// the path does not turn back where the map's undirected contours flip.
constexpr int AntiReversalTolerance = 4;
constexpr int32_t BoundsMargin = 5;

const TBitmap32& CheckedFeat(const TBitmap32* feat, const TBitmap32* dest)
{
    if (!feat) throw EngineError("Invalid Bitmap Feat");
    if (!dest) throw EngineError("Invalid Bitmap Dst");
    if (feat->Width() == 0 || dest->Width() == 0) throw EngineError("Feat->Width != Dest->Width");
    if (feat->Height() == 0 || dest->Height() == 0) throw EngineError("Feat->Height != Dest->Height");
    return *feat;
}

// The picture's colour rebuilt from a map pixel, through single-precision
// hue, saturation and lightness as the map stores them. It depends on the
// red and green bytes only, so all 65536 answers are worked out once: the
// conversion would otherwise be half the cost of a stroke.
TColor32 FeatureRGB(TColor32 p)
{
    static const std::vector<TColor32> table = [] {
        std::vector<TColor32> t(65536);
        for (uint32_t key = 0; key < t.size(); ++key) {
            const TColor32 q = key << 8;
            const TRGBBytes c =
                HSLToRGBBytes(Single(FeatureHue(q)), Single(FeatureSaturation(q)), Single(FeatureLightness(q)));
            t[key] = Color32(c.R, c.G, c.B, 0);
        }
        return t;
    }();
    return table[(p >> 8) & 0xFFFF];
}

bool FitsFixed(double v) { return v >= -2147483648.0 && v < 2147483647.5; }

} // namespace

TLineSampler::TLineSampler(const TBitmap32* feat, const TBitmap32* dest)
    : feat_(CheckedFeat(feat, dest)), widthFactor_(Single(16.0 / 765.0))
{
    path_.SetLength(50);
    start_ = {feat_.Width() / 2, feat_.Height() / 2};
    reverse_ = Random(1000) > 500;
    constexpr int32_t maxInt = std::numeric_limits<int32_t>::max(), minInt = std::numeric_limits<int32_t>::min();
    bounds_ = {maxInt, maxInt, minInt, minInt};
}

void TLineSampler::SetBezier(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3)
{
    path_.SetBezier(p0, p1, p2, p3);
    left_.clear();
    right_.clear();
}

bool TLineSampler::Sample()
{
    left_.clear();
    right_.clear();
    if (onGetDirection_ && Trace()) onGetDirection_ = nullptr;
    // Nothing to walk or scan: no steps were asked for, or the curve has
    // no length.
    if (path_.Empty()) return false;
    Walk();
    ScanColour();
    if (count_ < 1) return false;
    MeanColour();
    return BuildOutline() && !left_.empty() && !right_.empty();
}

bool TLineSampler::Trace()
{
    const int32_t n = path_.Length();
    if (n < MinTracedLength) return false;
    // Only four points of the rough path are kept: the fitted curve runs
    // from its start through its thirds to its last point.
    const int32_t i1 = n / 3, i2 = static_cast<int32_t>(2 * int64_t(n) / 3), i3 = n - 1;
    TSinglePoint p1, p2, p3;
    TTurtle turtle({0, 0});
    for (int32_t i = 0; i < n; ++i) {
        if (i == i1 || i == i2 || i == i3) {
            const TSinglePoint sp = turtle.GetSubPixel();
            if (i == i1) p1 = sp;
            if (i == i2) p2 = sp;
            if (i == i3) p3 = sp;
        }
        if (i % DirectionReadInterval == 0) ReadDirection(turtle);
        turtle.Step();
    }
    const auto rounded = [](const TSinglePoint& p) { return TPoint{Round(p.X), Round(p.Y)}; };
    SetBezier({0, 0}, rounded(p1), rounded(p2), rounded(p3));
    return true;
}

void TLineSampler::ReadDirection(TTurtle& turtle)
{
    const TPoint pos = turtle.GetPosition();
    const TPoint q{start_.X + pos.X, start_.Y + pos.Y};
    // Off the map there is nothing to read: the walk keeps its direction.
    if (!PtInRect(feat_.BoundsRect(), q)) return;
    const TColor32 p = feat_.Pixel(q.X, q.Y);
    TByteDirection d = turtle.Direction;
    if (2 * FeatureStrength(p) < GuideThreshold)
        onGetDirection_(q.X, q.Y, d);
    else
        d = FeatureDirection(p);
    if (reverse_) d = static_cast<TByteDirection>(d + 128);
    if (std::abs(std::abs(int(turtle.Direction) - int(d)) - 128) <= AntiReversalTolerance)
        d = static_cast<TByteDirection>(d + 128);
    turtle.Direction = d;
}

void TLineSampler::Walk()
{
    if (onGetDirection_) {
        // The short path: steered by the map at steps 0, 20, ...; its
        // StepDirs stay zero.
        path_.Walk([this](int32_t i, TTurtle& t) {
            if (i % DirectionReadInterval == 0) ReadDirection(t);
        });
    } else {
        path_.Walk();
    }
}

void TLineSampler::ScanColour()
{
    if (polyStep_ >= path_.Length()) polyStep_ = path_.Length() - 1;
    count_ = sumR_ = sumG_ = sumB_ = 0;
    const TByteDirection first = path_.StepDirs().front();
    TTurtle t1(start_), t2(start_);
    t1.SetDirection(static_cast<TByteDirection>(first + 64));
    t2.SetDirection(static_cast<TByteDirection>(first - 64));
    // Copies alternate around the path: offsets 0, -1, +1, -2, +2, ...
    // A scan width that is not a number or beyond 32 bits scans nothing.
    const double w = double(scanWidth_) * 255.0;
    int64_t budget = FitsFixed(w) ? Round(w) : 0;
    if (budget > 0) PrefetchPath(start_);
    while (budget > 0) {
        ScanPath(t1.GetPosition());
        budget -= 255;
        t1.Step();
        if (budget <= 0) break;
        t2.Step();
        ScanPath(t2.GetPosition());
        budget -= 255;
    }
}

void TLineSampler::PrefetchPath(const TPoint& at) const
{
    // A stroke across the map's rows meets a new cache line at nearly every
    // step; asking for all of them first lets the misses overlap instead of
    // stalling the scan one by one. The copies beside it share the lines.
    for (const TLineSample& s : path_.Samples()) {
        const int32_t px = s.X + at.X, py = s.Y + at.Y;
        if (px >= 0 && px < feat_.Width() && py >= 0 && py < feat_.Height())
            __builtin_prefetch(feat_.ScanLine(py) + px);
    }
}

void TLineSampler::ScanPath(const TPoint& at)
{
    const int32_t width = feat_.Width(), height = feat_.Height();
    // The copy's own extent, merged into Bounds once at its end.
    TRect touched = bounds_;
    for (const TLineSample& s : path_.Samples()) {
        const int32_t px = s.X + at.X, py = s.Y + at.Y;
        if (px < 0 || px >= width || py < 0 || py >= height) break;
        touched = {std::min(touched.Left, px), std::min(touched.Top, py), std::max(touched.Right, px),
                   std::max(touched.Bottom, py)};
        const TColor32 p = feat_.Pixel(px, py);
        if (StopAtEdges && FeatureIsEdge(p)) break;
        if (FeatureStrength(p) < threshold_) break;
        const TColor32 c = FeatureRGB(p);
        sumR_ += RedComponent(c);
        sumG_ += GreenComponent(c);
        sumB_ += BlueComponent(c);
        ++count_;
    }
    bounds_ = touched;
}

void TLineSampler::MeanColour()
{
    color_ = Color32(static_cast<uint8_t>(sumR_ / count_), static_cast<uint8_t>(sumG_ / count_),
                     static_cast<uint8_t>(sumB_ / count_));
}

bool TLineSampler::BuildOutline()
{
    if (polyStep_ < 2) polyStep_ = 2;
    const int32_t n = static_cast<int32_t>(path_.Samples().size()) - 1;
    const int32_t q = n / polyStep_;
    left_.clear();
    right_.clear();
    left_.reserve(static_cast<size_t>(q) + 1);
    right_.reserve(static_cast<size_t>(q) + 1);
    bool ok = true;
    for (int32_t k = 1; k <= q && ok; ++k) ok = AddOutlinePair((k - 1) * polyStep_, k * polyStep_ - 1);
    if (ok && n - q * polyStep_ > 0) ok = AddOutlinePair(q * polyStep_, n);
    if (!ok) {
        left_.clear();
        right_.clear();
    }
    return ok;
}

bool TLineSampler::AddOutlinePair(int32_t i, int32_t j)
{
    const TLineSample& si = path_.Samples()[static_cast<size_t>(i)];
    const TLineSample& sj = path_.Samples()[static_cast<size_t>(j)];
    const float xi = Single(start_.X + double(si.FX)), yi = Single(start_.Y + double(si.FY));
    const float xj = Single(start_.X + double(sj.FX)), yj = Single(start_.Y + double(sj.FY));
    const float a = Single(std::atan2(double(yj) - yi, double(xj) - xi));
    // 255 * (j - i) / (j - i) * WidthFactor, that is Gain / 3.
    const float t = Single(255.0 * double(widthFactor_));
    const double thick = std::pow(2.0 * t, 1.3) / 3.0;
    // A negative gain makes the power NaN, and so the whole stroke.
    const float w = Single(t > thick ? double(t) : thick);
    constexpr double halfPi = std::numbers::pi / 2.0;
    const float lx = Single(xi + w * std::cos(a + halfPi)), ly = Single(yi + w * std::sin(a + halfPi));
    const float rx = Single(xi + w * std::cos(a - halfPi)), ry = Single(yi + w * std::sin(a - halfPi));
    return AddOutlinePoint(lx, ly, left_) && AddOutlinePoint(rx, ry, right_);
}

bool TLineSampler::AddOutlinePoint(double x, double y, TArrayOfFixedPoint& edge)
{
    // The fixed point rounds the scaled coordinate once, unrounded (the
    // product of two singles is exact in double); only the bounds take it
    // as a single.
    const double fx = double(scale_) * x * 65536.0, fy = double(scale_) * y * 65536.0;
    // Not a number, or beyond 16.16: no stroke rather than a wrapped point.
    if (!FitsFixed(fx) || !FitsFixed(fy)) return false;
    IncludeInBounds(Single(double(scale_) * x), Single(double(scale_) * y));
    edge.push_back({Round(fx), Round(fy)});
    return true;
}

void TLineSampler::IncludeInBounds(float x, float y) { IncludePixel(Round(x), Round(y)); }

void TLineSampler::IncludePixel(int32_t x, int32_t y)
{
    if (x < 0 || x >= feat_.Width() || y < 0 || y >= feat_.Height()) return;
    bounds_.Left = std::min(bounds_.Left, x);
    bounds_.Top = std::min(bounds_.Top, y);
    bounds_.Right = std::max(bounds_.Right, x);
    bounds_.Bottom = std::max(bounds_.Bottom, y);
}

TRect TLineSampler::GetBounds() const
{
    // The empty sentinel is MaxInt / MinInt: subtracting from the one and
    // adding to the other cannot overflow.
    TRect r{bounds_.Left - BoundsMargin, bounds_.Top - BoundsMargin, bounds_.Right + BoundsMargin,
            bounds_.Bottom + BoundsMargin};
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, feat_.Width());
    r.Bottom = std::min(r.Bottom, feat_.Height());
    return r;
}
