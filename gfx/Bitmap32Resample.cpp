// The cubic stretches of TBitmap32: Mitchell (Mitchell-Netravali with
// B = C = 1/3), which keeps edges crisp without the ringing of sharper
// cubics, and the spline (the cubic B-spline, B = 1, C = 0), smoother still
// and never overshooting.
// When shrinking, the kernel widens with the scale so that every source pixel
// contributes: fine hatching turns into the grey it looks like instead of
// aliasing into stripes, which nearest and bilinear sampling cannot avoid.
// Weights are integers that sum exactly to one, so flat areas stay exact and
// the result depends on nothing but the numbers.
#include "gfx/Bitmap32.h"

#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int WeightBits = 14;
constexpr int32_t WeightOne = 1 << WeightBits;
constexpr int ResultShift = 2 * WeightBits;

struct TCubic {
    double B, C;
};

double CubicKernel(double x, const TCubic& k)
{
    const double B = k.B, C = k.C;
    x = std::fabs(x);
    if (x < 1) return ((12 - 9 * B - 6 * C) * x * x * x + (-18 + 12 * B + 6 * C) * x * x + (6 - 2 * B)) / 6;
    if (x < 2)
        return ((-B - 6 * C) * x * x * x + (6 * B + 30 * C) * x * x + (-12 * B - 48 * C) * x + (8 * B + 24 * C)) / 6;
    return 0;
}

// The source samples of every destination index in [lo, hi) along one axis.
// Tap k of destination d is Index[Start[d] + k] with weight Weight[...];
// Count[d] is 0 where the destination pixel maps outside the source bitmap
// (it is left as it is, as the other filters do).
struct TKernelAxis {
    std::vector<int32_t> Start, Count;
    std::vector<int32_t> Index, Weight;
    int32_t MinIndex = 0, MaxIndex = -1; // the range of Index
};

// Quantizes one destination's weights to sum exactly to WeightOne: the
// rounding remainder goes to the heaviest tap.
void AppendWeights(TKernelAxis& axis, const std::vector<double>& w, int64_t firstSource)
{
    double sum = 0;
    for (double v : w) sum += v;
    int32_t total = 0;
    size_t heaviest = 0;
    const size_t start = axis.Weight.size();
    for (size_t k = 0; k < w.size(); ++k) {
        const int32_t q = Round(w[k] / sum * WeightOne);
        axis.Index.push_back(static_cast<int32_t>(firstSource + static_cast<int64_t>(k)));
        axis.Weight.push_back(q);
        total += q;
        if (w[k] > w[heaviest]) heaviest = k;
    }
    axis.Weight[start + heaviest] += WeightOne - total;
    axis.MinIndex = std::min<int32_t>(axis.MinIndex, static_cast<int32_t>(firstSource));
    axis.MaxIndex = std::max<int32_t>(axis.MaxIndex, static_cast<int32_t>(firstSource + static_cast<int64_t>(w.size()) - 1));
}

// Centres are aligned as in the linear filter: destination pixel d covers
// source position (d + 0.5) * scale - 0.5. Near the source's edges the
// kernel is cut off there and the remaining weights are scaled back up to
// one, which also bounds the work for rectangles reaching far outside.
TKernelAxis CubicAxis(const TCubic& kernel, int64_t lo, int64_t hi, int64_t dstStart, int64_t dstSize,
                      int64_t srcStart, int64_t srcSize, int64_t srcLimit)
{
    TKernelAxis axis;
    axis.MinIndex = static_cast<int32_t>(std::max<int64_t>(srcLimit - 1, 0));
    const int64_t first = std::max<int64_t>(srcStart, 0);
    const int64_t last = std::min<int64_t>(srcStart + srcSize, srcLimit) - 1;
    const double scale = static_cast<double>(srcSize) / static_cast<double>(dstSize);
    const double widen = std::max(scale, 1.0);
    const double support = 2 * widen;
    std::vector<double> w;
    for (int64_t d = lo; d < hi; ++d) {
        const double u = (static_cast<double>(d - dstStart) + 0.5) * scale - 0.5;
        const int64_t centre = srcStart + static_cast<int64_t>(std::floor(u + 0.5));
        axis.Start.push_back(static_cast<int32_t>(axis.Index.size()));
        // The centre lies in the source rectangle, so within [first, last]
        // whenever it lies in the bitmap: there is always a tap of weight > 0.
        if (first > last || centre < 0 || centre >= srcLimit) {
            axis.Count.push_back(0);
            continue;
        }
        const int64_t i0 = std::max<int64_t>(srcStart + static_cast<int64_t>(std::ceil(u - support)), first);
        const int64_t i1 = std::min<int64_t>(srcStart + static_cast<int64_t>(std::floor(u + support)), last);
        w.clear();
        for (int64_t i = i0; i <= i1; ++i)
            w.push_back(CubicKernel((static_cast<double>(i - srcStart) - u) / widen, kernel));
        AppendWeights(axis, w, i0);
        axis.Count.push_back(static_cast<int32_t>(w.size()));
    }
    return axis;
}

// Round(acc / 2^28) clamped to a byte; the kernel's negative lobes can
// overshoot either way at hard edges.
inline uint32_t ToByte(int64_t acc)
{
    acc = std::clamp<int64_t>(acc, 0, int64_t(255) << ResultShift);
    return static_cast<uint32_t>((acc + (int64_t(1) << (ResultShift - 1))) >> ResultShift);
}

} // namespace

void TBitmap32::DrawCubic(const TRect& dstRect, const TRect& srcRect, const TBitmap32& src, const TRect& clip)
{
    const TCubic kernel = src.StretchFilter == TStretchFilter::sfSpline ? TCubic{1.0, 0.0} : TCubic{1.0 / 3.0, 1.0 / 3.0};
    const TKernelAxis cols = CubicAxis(kernel, clip.Left, clip.Right, dstRect.Left, int64_t(dstRect.Right) - dstRect.Left,
                                       srcRect.Left, int64_t(srcRect.Right) - srcRect.Left, src.Width());
    const TKernelAxis rows = CubicAxis(kernel, clip.Top, clip.Bottom, dstRect.Top, int64_t(dstRect.Bottom) - dstRect.Top,
                                       srcRect.Top, int64_t(srcRect.Bottom) - srcRect.Top, src.Height());
    if (cols.MaxIndex < cols.MinIndex) return;
    // One source band at a time: the columns this row needs, filtered
    // vertically, four channels each (alpha too: pixels are not premultiplied).
    const int32_t bandLeft = cols.MinIndex, bandWidth = cols.MaxIndex - cols.MinIndex + 1;
    std::vector<int32_t> band(static_cast<size_t>(bandWidth) * 4);
    for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
        const size_t ry = static_cast<size_t>(y - clip.Top);
        if (rows.Count[ry] == 0) continue;
        std::fill(band.begin(), band.end(), 0);
        for (int32_t k = 0; k < rows.Count[ry]; ++k) {
            const int32_t w = rows.Weight[rows.Start[ry] + k];
            const TColor32* in = src.ScanLine(rows.Index[rows.Start[ry] + k]) + bandLeft;
            for (int32_t c = 0; c < bandWidth; ++c)
                for (int ch = 0; ch < 4; ++ch) band[4 * c + ch] += w * static_cast<int32_t>((in[c] >> (8 * ch)) & 0xFF);
        }
        TColor32* out = ScanLine(y);
        for (int32_t x = clip.Left; x < clip.Right; ++x) {
            const size_t cx = static_cast<size_t>(x - clip.Left);
            if (cols.Count[cx] == 0) continue;
            int64_t acc[4] = {0, 0, 0, 0};
            for (int32_t k = 0; k < cols.Count[cx]; ++k) {
                const int64_t w = cols.Weight[cols.Start[cx] + k];
                const int32_t* px = band.data() + 4 * static_cast<size_t>(cols.Index[cols.Start[cx] + k] - bandLeft);
                for (int ch = 0; ch < 4; ++ch) acc[ch] += w * px[ch];
            }
            TColor32 pixel = 0;
            for (int ch = 0; ch < 4; ++ch) pixel |= ToByte(acc[ch]) << (8 * ch);
            Transfer(out[x], pixel, src);
        }
    }
}
