#include "engine/ImageFilters.h"

#include "engine/GTypes.h"
#include "gfx/ColorHSL.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

inline size_t Index(int32_t r, int32_t x, int32_t width) { return static_cast<size_t>(r) * width + x; }

inline size_t Count(int32_t width, int32_t height) { return static_cast<size_t>(width) * height; }

} // namespace

void ExtractLightnessAndColor(const TBitmap32& picture, uint8_t* lightness, uint8_t* color)
{
    const int32_t width = picture.Width(), height = picture.Height();
    TColor32 last = 0;
    uint8_t lastL = 0, lastC = 0;
    bool haveLast = false;
    for (int32_t r = 0; r < height; ++r) {
        const TColor32* row = picture.ScanLine(height - 1 - r);
        for (int32_t x = 0; x < width; ++x) {
            // The source's own alpha plays no part.
            const TColor32 c = row[x] & 0x00FFFFFFu;
            if (!haveLast || c != last) {
                const THSL hsl = RGBToHSL(c);
                lastL = static_cast<uint8_t>(Round(double(hsl.L) * 255.0));
                lastC = static_cast<uint8_t>(Round(double(hsl.H) * 31.0) * 8 + Round(double(hsl.S) * 7.0));
                last = c;
                haveLast = true;
            }
            lightness[Index(r, x, width)] = lastL;
            color[Index(r, x, width)] = lastC;
        }
    }
}

void InvertBytes(uint8_t* a, int32_t width, int32_t height)
{
    for (size_t i = 0, n = Count(width, height); i < n; ++i) a[i] = static_cast<uint8_t>(255 - a[i]);
}

void SobelRows(const uint8_t* src, int16_t* dst, int32_t width, int32_t height)
{
    for (int32_t r = 1; r <= height - 2; ++r) {
        const uint8_t* below = src + Index(r - 1, 0, width);
        const uint8_t* above = src + Index(r + 1, 0, width);
        int16_t* out = dst + Index(r, 0, width);
        for (int32_t x = 1; x <= width - 2; ++x)
            out[x] = static_cast<int16_t>((below[x - 1] + 2 * below[x] + below[x + 1]) -
                                          (above[x - 1] + 2 * above[x] + above[x + 1]));
    }
}

void SobelColumns(const uint8_t* src, int16_t* dst, int32_t width, int32_t height)
{
    for (int32_t r = 1; r <= height - 2; ++r) {
        const uint8_t* below = src + Index(r - 1, 0, width);
        const uint8_t* mid = src + Index(r, 0, width);
        const uint8_t* above = src + Index(r + 1, 0, width);
        int16_t* out = dst + Index(r, 0, width);
        for (int32_t x = 1; x <= width - 2; ++x)
            out[x] = static_cast<int16_t>((below[x - 1] + 2 * mid[x - 1] + above[x - 1]) -
                                          (below[x + 1] + 2 * mid[x + 1] + above[x + 1]));
    }
}

void GradientMagnitude(const int16_t* p, const int16_t* q, uint8_t* dst, int32_t width, int32_t height)
{
    for (size_t i = 0, n = Count(width, height); i < n; ++i)
        dst[i] = static_cast<uint8_t>(std::min(std::abs(int(p[i])) + std::abs(int(q[i])), 255));
}

void CopyBytes(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height)
{
    if (Count(width, height)) std::memcpy(dst, src, Count(width, height));
}

void Binarize(uint8_t* a, int32_t width, int32_t height)
{
    for (size_t i = 0, n = Count(width, height); i < n; ++i) a[i] = a[i] > 128 ? 255 : 0;
}

void CombineStrengthAndEdges(const uint8_t* strength, uint8_t* edges, int32_t width, int32_t height)
{
    for (size_t i = 0, n = Count(width, height); i < n; ++i)
        edges[i] = static_cast<uint8_t>((strength[i] >> 1) | (edges[i] ? 128 : 0));
}

void GaussianSmooth5(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height)
{
    // The kernel's columns are three vertical kernels (2 4 5 4 2), (4 9 12 9 4)
    // and (5 12 15 12 5); summing them per column first keeps the pass cheap.
    if (width >= 5 && height >= 5) {
        // 16 bits hold every sum (at most 255 * 159), and let the loops vectorize wider.
        std::vector<uint16_t> v1(width), v2(width), v3(width);
        for (int32_t r = 2; r <= height - 3; ++r) {
            const uint8_t* a0 = src + Index(r - 2, 0, width);
            const uint8_t* a1 = a0 + width;
            const uint8_t* a2 = a1 + width;
            const uint8_t* a3 = a2 + width;
            const uint8_t* a4 = a3 + width;
            for (int32_t x = 0; x < width; ++x) {
                const uint16_t s04 = uint16_t(a0[x] + a4[x]), s13 = uint16_t(a1[x] + a3[x]), m = a2[x];
                v1[x] = uint16_t(2 * s04 + 4 * s13 + 5 * m);
                v2[x] = uint16_t(4 * s04 + 9 * s13 + 12 * m);
                v3[x] = uint16_t(5 * s04 + 12 * s13 + 15 * m);
            }
            uint8_t* out = dst + Index(r, 0, width);
            for (int32_t x = 2; x <= width - 3; ++x) {
                const uint16_t sum = uint16_t(v1[x - 2] + v2[x - 1] + v3[x] + v2[x + 1] + v1[x + 2]);
                out[x] = static_cast<uint8_t>(sum / 159);
            }
        }
    }
    // Of the frame, only the picture's bottom-left and top-right 2 x 2 corners
    // are copied; a picture under two pixels on a side has no such corners.
    if (width >= 2 && height >= 2) {
        for (int32_t r = 0; r < 2; ++r)
            for (int32_t x = 0; x < 2; ++x) dst[Index(r, x, width)] = src[Index(r, x, width)];
        for (int32_t r = height - 2; r < height; ++r)
            for (int32_t x = width - 2; x < width; ++x) dst[Index(r, x, width)] = src[Index(r, x, width)];
    }
}

void SmoothPasses(const uint8_t* src, uint8_t* target, int32_t width, int32_t height, int passes)
{
    TByteArray u(src, src + Count(width, height));
    for (int k = 1; k <= passes; ++k) {
        if (k % 2 == 1)
            GaussianSmooth5(u.data(), target, width, height);
        else
            GaussianSmooth5(target, u.data(), width, height);
    }
    if (passes % 2 == 0) CopyBytes(u.data(), target, width, height);
}

void SmoothInPlace(uint8_t* a, int32_t width, int32_t height, int passes)
{
    TByteArray t(a, a + Count(width, height));
    SmoothPasses(a, t.data(), width, height, passes);
    CopyBytes(t.data(), a, width, height);
}

namespace {

// The two neighbours that non-maximum suppression compares against.
enum class TEdgePair { DF, GC, BH, AI };

TEdgePair PairByAngle(float q)
{
    if (q < 22.5f) return TEdgePair::DF;
    if (q < 67.5f) return TEdgePair::GC;
    if (q < 112.5f) return TEdgePair::BH;
    if (q < 157.5f) return TEdgePair::AI;
    return TEdgePair::DF;
}

// The gradient angle q in degrees (single precision) decides the pair. The
// angle only matters against the sector bounds, so the ratio is compared with
// tan 22.5 and tan 67.5 directly, and the arctangent is taken only where the
// ratio lies close to a bound.
TEdgePair EdgePair(int32_t gr, int32_t gc)
{
    if (gr == 0) return gc != 0 ? TEdgePair::BH : TEdgePair::DF;
    if (gc == 0) return TEdgePair::DF;
    constexpr double tan22 = 0.41421356237309503, tan67 = 2.4142135623730949;
    const bool opposite = (gr < 0) != (gc < 0);
    const double t = std::abs(double(gc)) / std::abs(double(gr));
    if (std::abs(t - tan22) < 1e-6 || std::abs(t - tan67) < 1e-6) {
        const double deg = std::atan(t) * 180.0 / M_PI;
        return PairByAngle(opposite ? Single(180.0 - deg) : Single(deg));
    }
    if (!opposite) return t < tan22 ? TEdgePair::DF : (t < tan67 ? TEdgePair::GC : TEdgePair::BH);
    return t > tan67 ? TEdgePair::BH : (t > tan22 ? TEdgePair::AI : TEdgePair::DF);
}

} // namespace

void DetectEdges(const uint8_t* darkness, uint8_t* edges, int32_t width, int32_t height)
{
    TByteArray s(Count(width, height), 0);
    GaussianSmooth5(darkness, s.data(), width, height);
    for (int32_t r = 1; r <= height - 2; ++r) {
        const uint8_t* below = s.data() + Index(r - 1, 0, width);
        const uint8_t* mid = s.data() + Index(r, 0, width);
        const uint8_t* above = s.data() + Index(r + 1, 0, width);
        uint8_t* out = edges + Index(r, 0, width);
        for (int32_t x = 1; x <= width - 2; ++x) {
            const int32_t a = below[x - 1], b = below[x], c = below[x + 1];
            const int32_t d = mid[x - 1], f = mid[x + 1];
            const int32_t g = above[x - 1], h = above[x], i = above[x + 1];
            const int32_t gr = (a + 2 * b + c) - (g + 2 * h + i);
            const int32_t gc = (a + 2 * d + g) - (c + 2 * f + i);
            const int32_t m = std::min(std::abs(gr) + std::abs(gc), 255);
            if (m < 128) {
                out[x] = 0;
                continue;
            }
            int32_t n1 = 0, n2 = 0;
            switch (EdgePair(gr, gc)) {
            case TEdgePair::DF: n1 = d; n2 = f; break;
            case TEdgePair::GC: n1 = g; n2 = c; break;
            case TEdgePair::BH: n1 = b; n2 = h; break;
            case TEdgePair::AI: n1 = a; n2 = i; break;
            }
            out[x] = (m >= n1 && m >= n2) ? 255 : 0;
        }
    }
}

namespace {

// One sub-iteration's test of a thinning candidate; step 1 or 2.
bool ThinningRemovable(const uint8_t* e, size_t idx, int32_t width, int step)
{
    const int p2 = e[idx - width], p3 = e[idx - width + 1], p4 = e[idx + 1], p5 = e[idx + width + 1];
    const int p6 = e[idx + width], p7 = e[idx + width - 1], p8 = e[idx - 1], p9 = e[idx - width - 1];
    const int n = (p2 + p3 + p4 + p5 + p6 + p7 + p8 + p9) / 255;
    if (n < 2 || n > 6) return false;
    const int seq[9] = {p2, p3, p4, p5, p6, p7, p8, p9, p2};
    int t = 0;
    for (int k = 0; k < 8; ++k) t += (seq[k] == 0 && seq[k + 1] == 255) ? 1 : 0;
    if (t != 1) return false;
    if (step == 1) return (p2 == 0 || p4 == 0 || p6 == 0) && (p4 == 0 || p6 == 0 || p8 == 0);
    return (p2 == 0 || p4 == 0 || p8 == 0) && (p2 == 0 || p6 == 0 || p8 == 0);
}

} // namespace

void ThinEdges(uint8_t* e, int32_t width, int32_t height)
{
    // Only set elements can be removed, so each pass visits just those.
    std::vector<size_t> candidates;
    for (int32_t r = 2; r <= height - 2; ++r)
        for (int32_t x = 2; x <= width - 2; ++x)
            if (e[Index(r, x, width)]) candidates.push_back(Index(r, x, width));

    std::vector<size_t> marked;
    bool changed = true;
    while (changed) {
        changed = false;
        for (int step = 1; step <= 2; ++step) {
            marked.clear();
            for (size_t idx : candidates)
                if (e[idx] == 255 && ThinningRemovable(e, idx, width, step)) marked.push_back(idx);
            for (size_t idx : marked) {
                if (e[idx]) {
                    e[idx] = 0;
                    changed = true;
                }
            }
            std::erase_if(candidates, [e](size_t idx) { return e[idx] == 0; });
        }
    }
}

namespace {

// Where one output element falls in the grid: base cell and fractions.
struct TGridPos {
    int32_t base;
    float frac;
    bool inside;
};

// u = x * f rounded to single precision before its integer part is taken.
TGridPos GridPos(int32_t x, float f, int32_t gridSize)
{
    const float u = Single(x * double(f));
    const int32_t iu = static_cast<int32_t>(u);
    return {iu, Single(double(u) - iu), 0 < iu && iu < gridSize - 1};
}

std::vector<TGridPos> GridPositions(int32_t count, int32_t gridSize)
{
    const float f = count > 0 ? Single(double(gridSize) / count) : 0.0f;
    std::vector<TGridPos> out(static_cast<size_t>(std::max(count, 0)));
    for (int32_t x = 0; x < count; ++x) out[x] = GridPos(x, f, gridSize);
    return out;
}

inline float Bilinear(const float* g, int32_t gw, const TGridPos& u, const TGridPos& v)
{
    const double fu = u.frac, fv = v.frac;
    const float* r0 = g + static_cast<size_t>(v.base) * gw + u.base;
    const float* r1 = r0 + gw;
    return Single((1 - fu) * (1 - fv) * r0[0] + fu * (1 - fv) * r0[1] + (1 - fu) * fv * r1[0] + fu * fv * r1[1]);
}

} // namespace

void BilinearUpsample(const float* grid, int32_t gw, int32_t gh, float* out, int32_t width, int32_t height)
{
    const std::vector<TGridPos> us = GridPositions(width, gw), vs = GridPositions(height, gh);
    for (int32_t r = 0; r <= height - 2; ++r)
        for (int32_t x = 0; x <= width - 2; ++x)
            out[Index(r, x, width)] = (us[x].inside && vs[r].inside) ? Bilinear(grid, gw, us[x], vs[r]) : 0.0f;
}

void OrientationField(const int16_t* rowDiff, const int16_t* colDiff, uint8_t* directions, int32_t width,
                      int32_t height, int32_t blockSize)
{
    const int32_t b = blockSize, half = blockSize / 2;
    const int32_t gw = width / b, gh = height / b;
    TSingleArray angles(Count(gw, gh), 0.0f);
    for (int32_t cx = half; cx < width - half; cx += b) {
        for (int32_t cy = half; cy < height - half; cy += b) {
            int64_t sxy = 0, sd = 0;
            for (int32_t r = cy - half; r <= cy + half; ++r) {
                for (int32_t x = cx - half; x <= cx + half; ++x) {
                    const int32_t gr = rowDiff[Index(r, x, width)], gc = colDiff[Index(r, x, width)];
                    sxy += 2 * gr * gc;
                    sd += gr * gr - gc * gc;
                }
            }
            // The sums are 32-bit in the analysis; a 17 x 17 window cannot overflow them.
            const int32_t s1 = static_cast<int32_t>(sxy), s2 = static_cast<int32_t>(sd);
            angles[Index(cy / b, cx / b, gw)] = (s1 == 0 && s2 == 0) ? 0.0f : Single(std::atan2(double(s1), double(s2)));
        }
    }
    TSingleArray cosGrid(angles.size()), sinGrid(angles.size());
    for (size_t i = 0; i < angles.size(); ++i) {
        cosGrid[i] = Single(std::cos(double(angles[i])));
        sinGrid[i] = Single(std::sin(double(angles[i])));
    }

    // Both grids are spread per element as BilinearUpsample does, without
    // keeping two full float arrays; the unwritten margin has c = s = 0.
    const std::vector<TGridPos> us = GridPositions(width, gw), vs = GridPositions(height, gh);
    for (int32_t r = 0; r < height; ++r) {
        uint8_t* out = directions + Index(r, 0, width);
        for (int32_t x = 0; x < width; ++x) {
            float c = 0, s = 0;
            if (r <= height - 2 && x <= width - 2 && us[x].inside && vs[r].inside) {
                c = Bilinear(cosGrid.data(), gw, us[x], vs[r]);
                s = Bilinear(sinGrid.data(), gw, us[x], vs[r]);
            }
            out[x] = DirectionToByteFast(-s, c);
        }
    }
}

void PackFeatureBitmap(const uint8_t* red, const uint8_t* green, const uint8_t* blue, const uint8_t* alpha,
                       TBitmap32& bmp, int32_t width, int32_t height)
{
    bmp.SetSize(width, height);
    for (int32_t r = 0; r < height; ++r) {
        TColor32* row = bmp.ScanLine(height - 1 - r);
        const size_t base = Index(r, 0, width);
        for (int32_t x = 0; x < width; ++x)
            row[x] = Color32(red[base + x], green[base + x], blue[base + x], alpha[base + x]);
    }
}
