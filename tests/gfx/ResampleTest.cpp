// The Mitchell stretch: flat areas stay exact, fine patterns shrink to the
// grey they look like, enlarging keeps ramps smooth and edges in place, and
// clipping behaves like the other filters.
#include "gfx/Bitmap32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>

namespace {

constexpr TColor32 Background = 0x12345678u;

TBitmap32 Mitchell(TBitmap32 src)
{
    src.StretchFilter = TStretchFilter::sfMitchell;
    return src;
}

TBitmap32 Stretched(const TBitmap32& src, int32_t w, int32_t h)
{
    TBitmap32 dst(w, h, Background);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), src);
    return dst;
}

// Black and white one-pixel squares: the finest hatching there is.
TBitmap32 Checkerboard(int32_t w, int32_t h)
{
    TBitmap32 b(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) b.Pixel(x, y) = (x + y) % 2 ? clWhite32 : clBlack32;
    return b;
}

std::pair<int, int> BlueRange(const TBitmap32& b)
{
    int lo = 255, hi = 0;
    for (int32_t i = 0; i < b.Width() * b.Height(); ++i) {
        lo = std::min<int>(lo, BlueComponent(b.Bits()[i]));
        hi = std::max<int>(hi, BlueComponent(b.Bits()[i]));
    }
    return {lo, hi};
}

} // namespace

TEST(MitchellStretch, FlatAreasStayExactAtEveryScale)
{
    for (const TStretchFilter filter : {TStretchFilter::sfMitchell, TStretchFilter::sfSpline}) {
        TBitmap32 flat(13, 9, 0x80C0FFEEu);
        flat.StretchFilter = filter;
        for (auto [w, h] : {std::pair{3, 2}, std::pair{5, 9}, std::pair{1, 1}, std::pair{40, 27}, std::pair{14, 8}}) {
            const TBitmap32 out = Stretched(flat, w, h);
            for (int32_t i = 0; i < w * h; ++i) ASSERT_EQ(out.Bits()[i], 0x80C0FFEEu) << w << "x" << h;
        }
    }
}

TEST(SplineStretch, SpreadsADotWiderAndLowerThanMitchellWithoutRinging)
{
    // One white pixel on black, enlarged four times. The B-spline has no
    // negative lobes: nothing around the dot darkens below black before the
    // clamp, so the dot's spread is smooth and its peak lower.
    TBitmap32 dot(5, 1, clBlack32);
    dot.Pixel(2, 0) = clWhite32;
    TBitmap32 spline = dot;
    spline.StretchFilter = TStretchFilter::sfSpline;
    const TBitmap32 soft = Stretched(spline, 20, 1);
    const TBitmap32 crisp = Stretched(Mitchell(dot), 20, 1);
    int softPeak = 0, crispPeak = 0, softLit = 0, crispLit = 0;
    for (int32_t x = 0; x < 20; ++x) {
        softPeak = std::max<int>(softPeak, BlueComponent(soft.Pixel(x, 0)));
        crispPeak = std::max<int>(crispPeak, BlueComponent(crisp.Pixel(x, 0)));
        softLit += BlueComponent(soft.Pixel(x, 0)) > 0;
        crispLit += BlueComponent(crisp.Pixel(x, 0)) > 0;
    }
    EXPECT_LT(softPeak, crispPeak);
    EXPECT_GT(softLit, crispLit);
    // Rising to the middle and falling after it, without a dip.
    for (int32_t x = 1; x < 10; ++x) EXPECT_GE(BlueComponent(soft.Pixel(x, 0)), BlueComponent(soft.Pixel(x - 1, 0)));
    for (int32_t x = 11; x < 20; ++x) EXPECT_LE(BlueComponent(soft.Pixel(x, 0)), BlueComponent(soft.Pixel(x - 1, 0)));
}

TEST(MitchellStretch, ShrinkingFineHatchingGivesEvenGrey)
{
    // Nearest sampling of a checkerboard at a whole factor picks one colour
    // only; the kernel averages every square it covers.
    const TBitmap32 board = Checkerboard(64, 48);
    TBitmap32 nearest = board;
    const auto [nlo, nhi] = BlueRange(Stretched(nearest, 16, 12));
    EXPECT_EQ(nhi - nlo, 0);

    for (auto [w, h] : {std::pair{16, 12}, std::pair{19, 14}, std::pair{7, 5}}) {
        const auto [lo, hi] = BlueRange(Stretched(Mitchell(board), w, h));
        EXPECT_GE(lo, 120) << w << "x" << h;
        EXPECT_LE(hi, 135) << w << "x" << h;
    }
}

TEST(MitchellStretch, EnlargingKeepsRampsSmoothAndEdgesInPlace)
{
    TBitmap32 ramp(8, 1);
    for (int32_t x = 0; x < 8; ++x) ramp.Pixel(x, 0) = Color32(0, 0, uint8_t(x * 30));
    const TBitmap32 wide = Stretched(Mitchell(ramp), 32, 3);
    for (int32_t x = 1; x < 32; ++x) EXPECT_GE(BlueComponent(wide.Pixel(x, 1)), BlueComponent(wide.Pixel(x - 1, 1)));
    EXPECT_LE(BlueComponent(wide.Pixel(0, 1)), 10);
    EXPECT_GE(BlueComponent(wide.Pixel(31, 1)), 200);

    // A hard edge between columns 3 and 4 of 8 lands between 15 and 16 of 32,
    // mirror-symmetric, and the kernel's overshoot is clamped.
    TBitmap32 edge(8, 2, clBlack32);
    edge.FillRect(4, 0, 8, 2, clWhite32);
    const TBitmap32 big = Stretched(Mitchell(edge), 32, 8);
    for (int32_t x = 0; x < 32; ++x)
        EXPECT_EQ(int(BlueComponent(big.Pixel(x, 4))) + BlueComponent(big.Pixel(31 - x, 4)), 255) << x;
    EXPECT_LT(BlueComponent(big.Pixel(15, 4)), 128);
    EXPECT_GT(BlueComponent(big.Pixel(16, 4)), 128);
    EXPECT_EQ(big.Pixel(0, 0), clBlack32);
    EXPECT_EQ(big.Pixel(31, 7), clWhite32);
}

TEST(MitchellStretch, AlphaIsFilteredLikeAnyChannelAndDrawModeApplies)
{
    // Opaque blue beside transparent black: alpha follows the blue channel
    // exactly (pixels are not premultiplied; alpha may be data).
    TBitmap32 src = Mitchell(TBitmap32(16, 4, 0x00000000u));
    src.FillRect(0, 0, 8, 4, 0xFF0000FFu);
    const TBitmap32 out = Stretched(src, 4, 2);
    EXPECT_EQ(out.Pixel(0, 0), 0xFF0000FFu);
    EXPECT_EQ(out.Pixel(3, 1), 0x00000000u);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(AlphaComponent(out.Pixel(x, 0)), BlueComponent(out.Pixel(x, 0)));
    EXPECT_GT(BlueComponent(out.Pixel(1, 0)), BlueComponent(out.Pixel(2, 0)));

    TBitmap32 half = Mitchell(TBitmap32(6, 6, 0x80FFFFFFu));
    half.DrawMode = TDrawMode::dmBlend;
    TBitmap32 dst(3, 3, 0xFF000000u);
    dst.Draw(dst.BoundsRect(), half.BoundsRect(), half);
    EXPECT_EQ(dst.Pixel(1, 1), 0xFF808080u);
}

TEST(MitchellStretch, ClipsLikeTheOtherFilters)
{
    const TBitmap32 src = Mitchell(TBitmap32(10, 10, clRed32));
    // A source rectangle reaching outside the bitmap: destination pixels whose
    // centre maps outside stay as they are, the others take the colour.
    TBitmap32 dst(10, 10, Background);
    dst.Draw(Rect(0, 0, 10, 10), Rect(-10, -10, 10, 10), src);
    EXPECT_EQ(dst.Pixel(2, 2), Background);
    EXPECT_EQ(dst.Pixel(7, 7), clRed32);

    // Destination rectangles far outside, and huge source rectangles, are cut
    // to the pixels that exist.
    TBitmap32 small(6, 6, Background);
    small.Draw(Rect(-1000000, -1000000, 1000000, 1000000), Rect(0, 0, 10, 10), src);
    EXPECT_EQ(small.Pixel(3, 3), clRed32);
    small.Draw(Rect(0, 0, 3, 3), Rect(INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2), src);
    small.Draw(Rect(100, 100, 200, 200), Rect(0, 0, 10, 10), src);
    small.Draw(Rect(0, 0, 6, 6), Rect(20, 20, 30, 30), src);
    for (int32_t i = 0; i < 36; ++i) EXPECT_TRUE(small.Bits()[i] == clRed32 || small.Bits()[i] == Background);
}
