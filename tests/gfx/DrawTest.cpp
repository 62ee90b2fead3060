// Drawing between bitmaps, stretching and lines, each checked pixel by pixel
// against a plain model of what should land where.
#include "gfx/Bitmap32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

constexpr TColor32 Background = 0x12345678u; // odd alpha: alpha is data and must survive

// Every pixel different, alpha included.
TBitmap32 Numbered(int32_t w, int32_t h)
{
    TBitmap32 b(w, h);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) b.Pixel(x, y) = Color32(uint8_t(x * 16 + 1), uint8_t(y * 16 + 2), 3, uint8_t(100 + x + 10 * y));
    return b;
}

// What an unclipped copy of srcRect at (x, y) leaves in dst.
TColor32 Expected(const TBitmap32& src, const TRect& srcRect, int64_t x, int64_t y, int32_t px, int32_t py, TColor32 old)
{
    const int64_t sx = px - x + srcRect.Left, sy = py - y + srcRect.Top;
    const bool inRect = sx >= srcRect.Left && sx < srcRect.Right && sy >= srcRect.Top && sy < srcRect.Bottom;
    const bool inSrc = sx >= 0 && sx < src.Width() && sy >= 0 && sy < src.Height();
    if (!inRect || !inSrc) return old;
    const TColor32 s = src.Pixel(int32_t(sx), int32_t(sy));
    return src.DrawMode == TDrawMode::dmOpaque ? s : BlendColor(s, old, src.MasterAlpha);
}

void CheckDraw(const TBitmap32& src, const TRect& srcRect, int32_t x, int32_t y)
{
    TBitmap32 dst(10, 8, Background);
    dst.Draw(x, y, srcRect, src);
    for (int32_t py = 0; py < dst.Height(); ++py)
        for (int32_t px = 0; px < dst.Width(); ++px)
            ASSERT_EQ(dst.Pixel(px, py), Expected(src, srcRect, x, y, px, py, Background))
                << "at " << px << "," << py << " drawing at " << x << "," << y;
}

TEST(DrawTest, OpaqueCopyIsClippedAtEveryEdge)
{
    const TBitmap32 src = Numbered(4, 3);
    for (int32_t y = -4; y <= 9; ++y)
        for (int32_t x = -5; x <= 11; ++x) CheckDraw(src, src.BoundsRect(), x, y);
}

TEST(DrawTest, SourceRectangleReachingOutsideTheSourceIsClippedToo)
{
    const TBitmap32 src = Numbered(4, 3);
    for (const TRect& r : {Rect(-2, -1, 3, 2), Rect(1, 1, 9, 9), Rect(-5, -5, 20, 20), Rect(2, 0, 2, 3), Rect(3, 2, 1, 1)})
        for (int32_t y = -3; y <= 8; y += 1)
            for (int32_t x = -3; x <= 10; x += 1) CheckDraw(src, r, x, y);
}

TEST(DrawTest, FarAwayPositionsNeitherWrapNorCrash)
{
    const TBitmap32 src = Numbered(4, 3);
    const int32_t big = std::numeric_limits<int32_t>::max(), small = std::numeric_limits<int32_t>::min();
    for (int32_t x : {big, small, big - 2, small + 2})
        for (int32_t y : {0, big, small}) CheckDraw(src, src.BoundsRect(), x, y);
    CheckDraw(src, Rect(small, small, big, big), 0, 0);
}

TEST(DrawTest, BlendModeBlendsEachPixelWithMasterAlpha)
{
    TBitmap32 src = Numbered(4, 3);
    src.DrawMode = TDrawMode::dmBlend;
    src.MasterAlpha = 128;
    for (int32_t y = -2; y <= 7; ++y)
        for (int32_t x = -3; x <= 9; ++x) CheckDraw(src, src.BoundsRect(), x, y);
}

TEST(DrawTest, DrawingABitmapOntoItselfReadsTheOldPixels)
{
    TBitmap32 b = Numbered(5, 5);
    const TBitmap32 before = b;
    b.Draw(1, 1, b);
    for (int32_t y = 0; y < 5; ++y)
        for (int32_t x = 0; x < 5; ++x)
            EXPECT_EQ(b.Pixel(x, y), x >= 1 && y >= 1 ? before.Pixel(x - 1, y - 1) : before.Pixel(x, y));
}

TEST(DrawTest, DrawToIsDrawSeenFromTheSource)
{
    const TBitmap32 src = Numbered(3, 3);
    TBitmap32 a(6, 6, Background), b(6, 6, Background);
    a.Draw(2, 1, src);
    src.DrawTo(b, 2, 1);
    EXPECT_EQ(0, std::memcmp(a.Bits(), b.Bits(), 36 * 4));
}

TEST(FillRectTest, ClippedAtEveryEdge)
{
    for (int32_t l = -2; l <= 7; l += 3)
        for (int32_t t = -2; t <= 6; t += 2)
            for (int32_t r = l - 1; r <= 9; r += 3)
                for (int32_t bt = t - 1; bt <= 8; bt += 3) {
                    TBitmap32 b(6, 5, Background);
                    b.FillRect(l, t, r, bt, 0xFFAA0000u);
                    for (int32_t y = 0; y < 5; ++y)
                        for (int32_t x = 0; x < 6; ++x) {
                            const bool inside = x >= l && x < r && y >= t && y < bt;
                            ASSERT_EQ(b.Pixel(x, y), inside ? 0xFFAA0000u : Background);
                        }
                }
    TBitmap32 b(3, 3, Background);
    b.FillRect(std::numeric_limits<int32_t>::min(), 0, std::numeric_limits<int32_t>::max(), 1, 0u);
    EXPECT_EQ(b.Pixel(2, 0), 0u);
    EXPECT_EQ(b.Pixel(2, 1), Background);
}

// One row whose pixel i holds i, to read the chosen source index back.
TBitmap32 IndexRow(int32_t w)
{
    TBitmap32 b(w, 1);
    for (int32_t x = 0; x < w; ++x) b.Pixel(x, 0) = 0xFF000000u | uint32_t(x);
    return b;
}

std::vector<int> RowIndices(const TBitmap32& b, int32_t y = 0)
{
    std::vector<int> out;
    for (int32_t x = 0; x < b.Width(); ++x) {
        const TColor32 c = b.Pixel(x, y);
        out.push_back(c == Background ? -1 : int(c & 0xFF));
    }
    return out;
}

TEST(StretchTest, NearestIndexIsFloorOfDstTimesSrcOverDst)
{
    TBitmap32 dst(7, 1, Background);
    dst.Draw(dst.BoundsRect(), Rect(0, 0, 3, 1), IndexRow(3));
    EXPECT_EQ(RowIndices(dst), (std::vector<int>{0, 0, 0, 1, 1, 2, 2}));

    TBitmap32 small(3, 1, Background);
    small.Draw(small.BoundsRect(), Rect(0, 0, 7, 1), IndexRow(7));
    EXPECT_EQ(RowIndices(small), (std::vector<int>{0, 2, 4}));

    // A source rectangle that starts inside the source.
    TBitmap32 part(4, 1, Background);
    part.Draw(part.BoundsRect(), Rect(1, 0, 3, 1), IndexRow(5));
    EXPECT_EQ(RowIndices(part), (std::vector<int>{1, 1, 2, 2}));
}

TEST(StretchTest, ClippingKeepsTheUnclippedMapping)
{
    // Destination rectangle hanging off both ends: the visible pixels take
    // the indices they would have had in the whole rectangle.
    TBitmap32 dst(5, 1, Background);
    dst.Draw(Rect(-2, 0, 7, 1), Rect(0, 0, 3, 1), IndexRow(3)); // 9 wide: 0 0 0 1 1 1 2 2 2
    EXPECT_EQ(RowIndices(dst), (std::vector<int>{0, 1, 1, 1, 2}));

    // Source rectangle beyond the source: those pixels are left alone.
    TBitmap32 beyond(4, 1, Background);
    beyond.Draw(beyond.BoundsRect(), Rect(1, 0, 5, 1), IndexRow(3)); // equal size: a plain copy of 1, 2
    EXPECT_EQ(RowIndices(beyond), (std::vector<int>{1, 2, -1, -1}));
    TBitmap32 beyond2(8, 1, Background);
    beyond2.Draw(beyond2.BoundsRect(), Rect(1, 0, 5, 1), IndexRow(3)); // 1 1 2 2 (3 3 4 4 missing)
    EXPECT_EQ(RowIndices(beyond2), (std::vector<int>{1, 1, 2, 2, -1, -1, -1, -1}));
}

TEST(StretchTest, RowsFollowTheSameRule)
{
    TBitmap32 src(1, 3);
    for (int32_t y = 0; y < 3; ++y) src.Pixel(0, y) = 0xFF000000u | uint32_t(y);
    TBitmap32 dst(1, 7, Background);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), src);
    const int expected[7] = {0, 0, 0, 1, 1, 2, 2};
    for (int32_t y = 0; y < 7; ++y) EXPECT_EQ(int(dst.Pixel(0, y) & 0xFF), expected[y]);
}

TEST(StretchTest, DegenerateRectanglesDrawNothing)
{
    const TBitmap32 src = Numbered(3, 3);
    TBitmap32 dst(4, 4, Background);
    dst.Draw(Rect(0, 0, 0, 4), src.BoundsRect(), src);
    dst.Draw(Rect(0, 0, 4, 4), Rect(2, 2, 1, 3), src);
    dst.Draw(Rect(3, 3, 1, 1), src.BoundsRect(), src);
    dst.Draw(Rect(0, 0, 4, 4), src.BoundsRect(), TBitmap32());
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(dst.Bits()[i], Background);
}

TEST(StretchTest, BlendModeAppliesToStretchedPixels)
{
    TBitmap32 src(1, 1, 0x80FFFFFFu);
    src.DrawMode = TDrawMode::dmBlend;
    TBitmap32 dst(3, 3, 0xFF000000u);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), src);
    EXPECT_EQ(dst.Pixel(1, 1), 0xFF808080u);
}

TEST(StretchTest, LinearFilterRampsBetweenNeighboursAndKeepsFlatAreasExact)
{
    TBitmap32 src(2, 1);
    src.Pixel(0, 0) = 0xFF000000u;
    src.Pixel(1, 0) = 0xFFFFFFFFu;
    src.StretchFilter = TStretchFilter::sfLinear;
    TBitmap32 dst(4, 1, Background);
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), src);
    EXPECT_EQ(dst.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(dst.Pixel(3, 0), 0xFFFFFFFFu);
    const int a = BlueComponent(dst.Pixel(1, 0)), b = BlueComponent(dst.Pixel(2, 0));
    EXPECT_GT(a, 0);
    EXPECT_LT(a, b);
    EXPECT_LT(b, 255);
    EXPECT_EQ(AlphaComponent(dst.Pixel(1, 0)), 255);

    TBitmap32 flat(3, 2, 0x80C0FFEEu);
    flat.StretchFilter = TStretchFilter::sfLinear;
    TBitmap32 big(11, 7, Background);
    big.Draw(big.BoundsRect(), flat.BoundsRect(), flat);
    for (int32_t i = 0; i < 77; ++i) ASSERT_EQ(big.Bits()[i], 0x80C0FFEEu);
}

TEST(LineSTest, LeavesOutTheLastPixel)
{
    TBitmap32 b(6, 4, Background);
    b.LineS(0, 0, 4, 2, 0xFFFF0000u);
    // x 1 and 3 fall exactly between two rows: the half goes toward the start.
    const TPoint lit[] = {{0, 0}, {1, 0}, {2, 1}, {3, 1}};
    int count = 0;
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 6; ++x)
            if (b.Pixel(x, y) != Background) ++count;
    EXPECT_EQ(count, 4);
    for (const TPoint& p : lit) EXPECT_EQ(b.Pixel(p.X, p.Y), 0xFFFF0000u) << p.X << "," << p.Y;
    EXPECT_EQ(b.Pixel(4, 2), Background);
}

TEST(LineSTest, StraightLinesAndSinglePoints)
{
    TBitmap32 b(6, 6, Background);
    b.LineS(2, 5, 2, 0, 0xFF00FF00u); // upward: y 5 down to 1
    for (int32_t y = 0; y < 6; ++y) EXPECT_EQ(b.Pixel(2, y), y >= 1 ? 0xFF00FF00u : Background);
    b.LineS(4, 4, 4, 4, 0xFF0000FFu);
    EXPECT_EQ(b.Pixel(4, 4), Background);
}

TEST(LineSTest, WritesRatherThanBlends)
{
    TBitmap32 b(4, 1, Background);
    b.LineS(0, 0, 4, 0, 0x00FFFFFFu);
    for (int32_t x = 0; x < 4; ++x) EXPECT_EQ(b.Pixel(x, 0), 0x00FFFFFFu);
}

TEST(LineSTest, ClippingKeepsThePixelsOfTheWholeLine)
{
    // The same lines drawn on a big bitmap and on a 10 x 10 window of it.
    const int32_t ends[] = {-13, -4, 0, 3, 9, 12, 21};
    for (int32_t x1 : ends)
        for (int32_t y1 : ends)
            for (int32_t x2 : {-7, 2, 5, 15})
                for (int32_t y2 : {-9, 1, 8, 11}) {
                    TBitmap32 big(60, 60, Background), window(10, 10, Background);
                    big.LineS(x1 + 25, y1 + 25, x2 + 25, y2 + 25, 0xFFFFFFFFu);
                    window.LineS(x1, y1, x2, y2, 0xFFFFFFFFu);
                    for (int32_t y = 0; y < 10; ++y)
                        for (int32_t x = 0; x < 10; ++x)
                            ASSERT_EQ(window.Pixel(x, y), big.Pixel(x + 25, y + 25))
                                << x1 << "," << y1 << " -> " << x2 << "," << y2 << " at " << x << "," << y;
                }
}

TEST(LineSTest, HugeCoordinatesAreClippedQuickly)
{
    TBitmap32 b(8, 8, Background);
    const int32_t big = std::numeric_limits<int32_t>::max(), small = std::numeric_limits<int32_t>::min();
    b.LineS(small, 3, big, 3, 0xFFFFFFFFu);
    for (int32_t x = 0; x < 8; ++x) EXPECT_EQ(b.Pixel(x, 3), 0xFFFFFFFFu);
    b.LineS(small, small, big, big, 0xFF000000u); // the main diagonal, steps of exactly 1
    for (int32_t i = 0; i < 8; ++i) EXPECT_EQ(b.Pixel(i, i), 0xFF000000u);
}

TEST(FrameRectSTest, OutlineWithRightAndBottomExclusive)
{
    TBitmap32 b(7, 6, Background);
    b.FrameRectS(Rect(1, 1, 5, 4), 0xFF0000FFu);
    for (int32_t y = 0; y < 6; ++y)
        for (int32_t x = 0; x < 7; ++x) {
            const bool inRect = x >= 1 && x <= 4 && y >= 1 && y <= 3;
            const bool edge = inRect && (x == 1 || x == 4 || y == 1 || y == 3);
            EXPECT_EQ(b.Pixel(x, y), edge ? 0xFF0000FFu : Background) << x << "," << y;
        }
}

TEST(FrameRectSTest, ClippedAndEmpty)
{
    TBitmap32 b(4, 4, Background);
    b.FrameRectS(Rect(-3, -3, 3, 3), 0xFF0000FFu); // only the right and bottom edges show
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_EQ(b.Pixel(x, y), (x == 2 && y <= 2) || (y == 2 && x <= 2) ? 0xFF0000FFu : Background);
    TBitmap32 c(4, 4, Background);
    c.FrameRectS(Rect(2, 2, 2, 3), 0xFF0000FFu);
    c.FrameRectS(Rect(3, 3, 1, 1), 0xFF0000FFu);
    for (int32_t i = 0; i < 16; ++i) EXPECT_EQ(c.Bits()[i], Background);
}

} // namespace
