// The default bitmap brushes, drawn procedurally so that the build makes the
// same files every time. Shared by the brush generator, the style generator
// (whose previews need the brushes) and the benchmarks.
//
// A brush image's blue channel is its coverage; it is stored grey (red =
// green = blue) so the picture the main window shows is the brush's mark.
// Columns run along the stroke (left = start), rows across it.
#pragma once

#include "engine/BitmapBrushStrokeRenderer.h"
#include "gfx/Bitmap32.h"
#include "gfx/Stream.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

namespace defaults {

struct TBrushDesign {
    int32_t ID;
    std::string FileName;
    std::string Title;
    // Brush rows that span the stroke's width: below the image height the
    // brush reaches past the traced outline.
    int32_t BrushSpan;
    TBitmap32 Image;
};

// Smooth value noise over a lattice of the given cell size, 0..1, drawn from
// the program's generator at a fixed seed.
class TValueNoise {
public:
    TValueNoise(int32_t width, int32_t height, double cell, uint32_t seed) : cell_(cell)
    {
        cols_ = static_cast<int32_t>(width / cell) + 2;
        rows_ = static_cast<int32_t>(height / cell) + 2;
        const uint32_t saved = RandSeed;
        RandSeed = seed;
        lattice_.resize(static_cast<size_t>(cols_) * rows_);
        for (double& v : lattice_) v = Random(1000) / 999.0;
        RandSeed = saved;
    }
    double At(double x, double y) const
    {
        const double u = x / cell_, v = y / cell_;
        const int32_t i = std::clamp(static_cast<int32_t>(u), 0, cols_ - 2);
        const int32_t j = std::clamp(static_cast<int32_t>(v), 0, rows_ - 2);
        const double fu = Smooth(u - i), fv = Smooth(v - j);
        const double a = L(i, j) + (L(i + 1, j) - L(i, j)) * fu;
        const double b = L(i, j + 1) + (L(i + 1, j + 1) - L(i, j + 1)) * fu;
        return a + (b - a) * fv;
    }

private:
    static double Smooth(double t) { return t * t * (3 - 2 * t); }
    double L(int32_t i, int32_t j) const { return lattice_[static_cast<size_t>(j) * cols_ + i]; }
    double cell_;
    int32_t cols_, rows_;
    std::vector<double> lattice_;
};

inline double Clamp01(double v) { return std::clamp(v, 0.0, 1.0); }
// 0 below Edge0, 1 above Edge1, smooth between.
inline double SmoothStep(double edge0, double edge1, double x)
{
    const double t = Clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// Paints every pixel from Coverage(t along, s across), t and s in 0..1 at
// pixel centres, s = 0.5 on the stroke's centre line.
template <class Coverage>
TBitmap32 PaintBrush(int32_t width, int32_t height, Coverage coverage)
{
    TBitmap32 b(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double t = (x + 0.5) / width, s = (y + 0.5) / height;
            const auto c = static_cast<uint8_t>(Round(255.0 * Clamp01(coverage(t, s, x, y))));
            b.Pixel(x, y) = Color32(c, c, c);
        }
    }
    return b;
}

// A mark that swells in from its start and thins out at its end.
inline double Taper(double t, double in, double out)
{
    return std::pow(Clamp01(t / in), 0.5) * std::pow(Clamp01((1.0 - t) / out), 0.7);
}

// Graphite on paper: a fine grain that lets the paper show through, soft
// sides and a light start.
inline TBitmap32 PencilImage()
{
    const int32_t w = 160, h = 20;
    const TValueNoise grain(w, h, 1.3, 11), tooth(w, h, 3.0, 12), pressure(w, h, 40.0, 13);
    return PaintBrush(w, h, [&](double t, double s, int32_t x, int32_t y) {
        const double half = 0.42 * Taper(t, 0.12, 0.2);
        const double side = 1.0 - SmoothStep(half * 0.55, half, std::abs(s - 0.5));
        const double paper = 0.55 * grain.At(x, y) + 0.45 * tooth.At(x, y);
        const double mark = SmoothStep(0.22, 0.62, paper + 0.25 * pressure.At(x, 0));
        return side * (0.25 + 0.6 * mark);
    });
}

// Compressed charcoal: broad and dark, with ragged, broken sides and a
// coarse paper tooth that catches it unevenly.
inline TBitmap32 CharcoalImage()
{
    const int32_t w = 160, h = 48;
    const TValueNoise tooth(w, h, 2.2, 21), clumps(w, h, 7.0, 22), edgeTop(w, 1, 9.0, 23), edgeBottom(w, 1, 9.0, 24);
    return PaintBrush(w, h, [&](double t, double s, int32_t x, int32_t y) {
        const double pinch = 0.3 * (1.0 - std::pow(std::sin(std::numbers::pi * t), 0.35));
        const double top = 0.08 + 0.14 * edgeTop.At(x, 0) + pinch;
        const double bottom = 0.92 - 0.14 * edgeBottom.At(x, 0) - pinch;
        const double body = SmoothStep(top, top + 0.06, s) * (1.0 - SmoothStep(bottom - 0.06, bottom, s));
        const double ends = Taper(t, 0.06 + 0.05 * edgeTop.At(y * 3.0, 0), 0.1 + 0.1 * edgeBottom.At(y * 3.0, 0));
        const double grain = SmoothStep(0.2, 0.6, 0.6 * tooth.At(x, y) + 0.4 * clumps.At(x, y));
        return body * std::min(1.0, ends * 1.6) * (0.5 + 0.5 * grain);
    });
}

// A pointed steel nib: a crisp, solid line that swells under pressure in the
// middle and ends in fine points.
inline TBitmap32 PenNibImage()
{
    const int32_t w = 128, h = 32;
    return PaintBrush(w, h, [&](double t, double s, int32_t, int32_t) {
        const double swell = 0.5 * std::pow(std::sin(std::numbers::pi * std::pow(t, 0.8)), 0.6);
        const double half = 0.06 + 0.36 * swell;
        const double d = std::abs(s - 0.5);
        // About one pixel of soft edge at the span's scale.
        return 1.0 - SmoothStep(half - 0.025, half + 0.025, d);
    });
}

// A dry brush: separate bristles of uneven load that drag streaks along
// the paper, skip more and more, and run out toward the end of the stroke.
inline TBitmap32 DryBrushImage()
{
    const int32_t w = 192, h = 48;
    // Streaks: the noise changes slowly along the stroke, quickly across it.
    constexpr double Stretch = 14.0;
    const TValueNoise streaks(int32_t(w / Stretch) + 1, h, 1.6, 31), fibre(w, h, 1.0, 32);
    std::vector<double> load(h), touch(h), runOut(h);
    const uint32_t saved = RandSeed;
    RandSeed = 33;
    for (int32_t y = 0; y < h; ++y) {
        load[size_t(y)] = 0.55 + Random(46) / 100.0;
        touch[size_t(y)] = Random(9) / 100.0 + 0.06 * std::abs(y - h / 2.0) / h;
        runOut[size_t(y)] = 0.7 + Random(31) / 100.0;
    }
    RandSeed = saved;
    return PaintBrush(w, h, [&](double t, double s, int32_t x, int32_t y) {
        const double across = 1.0 - SmoothStep(0.38, 0.5, std::abs(s - 0.5));
        const double lift = 1.0 - SmoothStep(runOut[size_t(y)] - 0.3, runOut[size_t(y)], t);
        const double paint = streaks.At(x / Stretch, y) + 0.12 * fibre.At(x, y);
        const double hits = SmoothStep(0.25 + 0.35 * t, 0.4 + 0.35 * t, paint);
        const double down = SmoothStep(touch[size_t(y)], touch[size_t(y)] + 0.04, t);
        return across * down * Taper(t, 0.03, 0.02) * load[size_t(y)] * lift * (0.15 + 0.85 * hits) * 1.3;
    });
}

// A felt marker: flat, translucent ink that gathers a little along its
// sides, so crossing strokes build up tone.
inline TBitmap32 MarkerImage()
{
    const int32_t w = 96, h = 32;
    const TValueNoise streak(w, h, 6.0, 41);
    return PaintBrush(w, h, [&](double t, double s, int32_t x, int32_t y) {
        // A round nib: the last tenth at each end closes in a half ellipse.
        const double e = std::max(0.0, std::abs(t - 0.5) - 0.4) / 0.1;
        const double half = 0.44 * std::sqrt(std::max(0.0, 1.0 - e * e));
        const double d = std::abs(s - 0.5);
        const double body = 1.0 - SmoothStep(half - 0.05, half + 0.01, d);
        const double rim = 0.16 * SmoothStep(half - 0.16, half - 0.04, d);
        return body * (0.58 + rim + 0.08 * streak.At(x, y));
    });
}

// In file-name order, which is the order the renderer manager loads them:
// the program starts with the fourth renderer, the third brush (the pen nib).
inline std::vector<TBrushDesign> DefaultBrushes()
{
    std::vector<TBrushDesign> b;
    b.push_back({1, "brush1_pencil.srd", "Pencil", 16, PencilImage()});
    b.push_back({2, "brush2_charcoal.srd", "Charcoal", 36, CharcoalImage()});
    b.push_back({3, "brush3_pen_nib.srd", "Pen nib", 24, PenNibImage()});
    b.push_back({4, "brush4_dry_brush.srd", "Dry brush", 40, DryBrushImage()});
    b.push_back({5, "brush5_felt_marker.srd", "Felt marker", 30, MarkerImage()});
    return b;
}

// A renderer loaded from the brush file that the design makes.
inline std::unique_ptr<TBitmapBrushStrokeRenderer> MakeBrushRenderer(const TBrushDesign& design)
{
    TMemoryStream file;
    TBitmapBrushStrokeRenderer::WriteBrushFile(file, design.ID, design.BrushSpan, design.Image);
    file.SetPosition(0);
    auto renderer = std::make_unique<TBitmapBrushStrokeRenderer>();
    renderer->LoadFromStream(file);
    return renderer;
}

} // namespace defaults
