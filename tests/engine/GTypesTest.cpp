// Known answers of the shared colour, geometry and drawing helpers.
#include "engine/GTypes.h"

#include "gfx/Errors.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <vector>

namespace {

struct SeedGuard {
    uint32_t saved = RandSeed;
    explicit SeedGuard(uint32_t seed) { RandSeed = seed; }
    ~SeedGuard() { RandSeed = saved; }
};

} // namespace

TEST(GTypesColour, ScaleAndBlend)
{
    EXPECT_EQ(ScaleColor32(clWhite32, 128), Color32(128, 128, 128));
    EXPECT_EQ(ScaleColor32(Color32(10, 20, 30, 0), 255), Color32(10, 20, 30, 255));
    EXPECT_EQ(BlendColor32(clWhite32, clBlack32, 255), clWhite32);
    EXPECT_EQ(BlendColor32(clWhite32, clBlack32, 0), clBlack32);
    // Two truncated terms added: 100 * 255 div 255 + 155 * 1 div 255 = 100 + 0.
    EXPECT_EQ(BlendColor32(Color32(255, 255, 255), Color32(1, 1, 1), 100), Color32(100, 100, 100));
}

TEST(GTypesColour, JitterWithoutRangesOrShiftsKeepsTheColour)
{
    SeedGuard seed(0);
    for (TColor32 c : {Color32(255, 0, 0), Color32(0, 0, 255), Color32(128, 128, 128), Color32(12, 200, 90, 7)}) {
        TColor32 varied = c;
        JitterColorHSL(varied, 0, 0, 0, 0, 0, 0);
        EXPECT_EQ(varied, SetAlpha(c, 255));
    }
}

TEST(GTypesColour, JitterClampsTheHueInsteadOfWrapping)
{
    SeedGuard seed(0);
    TColor32 cyan = Color32(0, 255, 255); // hue 0.5
    JitterColorHSL(cyan, 0, 0, 0, 0.9, 0, 0);
    EXPECT_EQ(cyan, Color32(255, 0, 0));
}

TEST(GTypesColour, JitterDrawsHueSaturationLightnessInOrder)
{
    // Three draws advance the generator three times, whatever the ranges.
    SeedGuard seed(0);
    TColor32 c = Color32(100, 100, 100);
    JitterColorHSL(c, 15, 0, 0, 0, 0, 0);
    uint32_t expected = 0;
    for (int i = 0; i < 3; ++i) expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandSeed, expected);
}

TEST(GTypesBitmaps, BurnInvertAndCopy)
{
    TBitmap32 bmp(2, 1, Color32(200, 100, 50, 9));
    BurnBitmap(bmp, Color32(100, 200, 255));
    EXPECT_EQ(bmp.Pixel(0, 0), Color32(45, 45, 50, 255));

    TBitmap32 inv(1, 1, Color32(1, 2, 3, 77));
    InvertBitmap(inv);
    EXPECT_EQ(inv.Pixel(0, 0), Color32(254, 253, 252, 77));

    TBitmap32 src(4, 4, clBlack32);
    src.Pixel(3, 3) = clWhite32;
    auto part = CopyBitmapRect(src, Rect(2, 2, 6, 6)); // reaches outside the source
    ASSERT_EQ(part->Width(), 4);
    ASSERT_EQ(part->Height(), 4);
    EXPECT_EQ(part->Pixel(0, 0), clBlack32);
    EXPECT_EQ(part->Pixel(1, 1), clWhite32);
    EXPECT_EQ(part->Pixel(3, 3), 0u);

    auto fresh = NewBitmap32(3, 2, clRed32);
    EXPECT_EQ(fresh->Width(), 3);
    EXPECT_EQ(fresh->Pixel(2, 1), clRed32);
}

TEST(GTypesGeometry, RectsAndPoints)
{
    EXPECT_EQ(BoundingRect(Rect(0, 5, 10, 6), Rect(-1, 7, 3, 20)), Rect(-1, 5, 10, 20));
    EXPECT_EQ(ScaleRect(Rect(1, 3, 5, 7), 0.5), Rect(0, 2, 2, 4)); // halves to even
    EXPECT_EQ(MidPoint(Point(-3, 0), Point(0, 0)), Point(-1, 0));
    EXPECT_EQ(MidPoint(Point(INT_MAX, 0), Point(INT_MAX, 0)), Point(INT_MAX, 0));
    std::vector<TPoint> pts{Point(1, 1), Point(3, -5)};
    ScalePoints(pts, 2.5);
    EXPECT_EQ(pts[0], Point(2, 2));
    EXPECT_EQ(pts[1], Point(8, -12));
    OffsetPoints(pts, Point(1, 2));
    EXPECT_EQ(pts[1], Point(9, -10));
}

TEST(GTypesGeometry, OffsetsNeverWrapRound)
{
    // Coordinates near the ends of the 32-bit range, as a damaged pattern
    // file holds them: the sum is taken in full. Scaled, only the scaled
    // point is stored; offset alone, a sum beyond the range stops at its end.
    struct TCase {
        TPoint p, d;
        double f;
        TPoint scaled, offset;
    };
    const TCase cases[] = {
        {Point(1, -5), Point(1, 2), 2.5, Point(5, -8), Point(2, -3)}, // -7.5 rounds to even
        {Point(INT_MAX, 5), Point(INT_MIN, -10), 1.0, Point(-1, -5), Point(-1, -5)},
        {Point(INT_MIN, INT_MIN), Point(INT_MIN, INT_MIN), 0.25, Point(-(1 << 30), -(1 << 30)),
         Point(INT_MIN, INT_MIN)},
        {Point(INT_MAX, INT_MAX), Point(INT_MAX, 1), 0.5, Point(INT_MAX, 1 << 30), Point(INT_MAX, INT_MAX)},
        {Point(INT_MAX, INT_MIN), Point(1, -1), 1.0, Point(INT_MAX, INT_MIN), Point(INT_MAX, INT_MIN)},
    };
    for (const TCase& c : cases) {
        std::vector<TPoint> scaled{c.p, c.p}, offset{c.p};
        OffsetAndScalePoints(scaled, c.d, c.f);
        OffsetPoints(offset, c.d);
        EXPECT_EQ(scaled[0], c.scaled) << c.p.X << ", " << c.p.Y;
        EXPECT_EQ(scaled[1], c.scaled) << c.p.X << ", " << c.p.Y;
        EXPECT_EQ(offset[0], c.offset) << c.p.X << ", " << c.p.Y;
    }
}

TEST(GTypesGeometry, JitterKnownDraws)
{
    {
        SeedGuard seed(0);
        TPoint p{0, 0};
        JitterPoint(p, 0);
        EXPECT_EQ(p, Point(0, 0));
    }
    {
        // From seed 0 the first two Random(10) are 0 and 0: both axes move by -5.
        SeedGuard seed(0);
        TPoint p{0, 0};
        JitterPoint(p, 10);
        EXPECT_EQ(p, Point(-5, -5));
    }
    {
        SeedGuard seed(0);
        std::vector<TPoint> same{Point(4, 4), Point(4, 4)};
        JitterEnds(same);
        EXPECT_EQ(same[0], Point(4, 4));
        EXPECT_EQ(same[1], Point(4, 4));
        EXPECT_NE(RandSeed, 0u); // four draws were still made
    }
}

TEST(GTypesGeometry, JitterPointsSharesOneShiftDrawnFirst)
{
    // From seed 0 the two shift draws Random(10) are 0 and 0: every point
    // moves by (-5, -5); then each point draws twice more (Random(0) = 0).
    SeedGuard seed(0);
    std::vector<TPoint> pts{Point(1, 2), Point(30, -4), Point(0, 0)};
    JitterPoints(pts, 10, 0);
    EXPECT_EQ(pts[0], Point(-4, -3));
    EXPECT_EQ(pts[1], Point(25, -9));
    EXPECT_EQ(pts[2], Point(-5, -5));
    uint32_t expected = 0;
    for (int i = 0; i < 2 + 2 * 3; ++i) expected = expected * 134775813u + 1u;
    EXPECT_EQ(RandSeed, expected);
}

TEST(GTypesGeometry, DistanceAndLengths)
{
    EXPECT_FLOAT_EQ(Distance(Point(0, 0), Point(3, 4)), 5.0f);
    // The squares must not overflow 32 bits.
    EXPECT_FLOAT_EQ(Distance(Point(-2000000000, 0), Point(2000000000, 0)), 4.0e9f);
    TBezier b{Point(0, 0), Point(3, 4), Point(3, 10), Point(3, 10)};
    EXPECT_FLOAT_EQ(ControlPolygonLength(b), 11.0f);
}

TEST(GTypesGeometry, StrokeCountFormula)
{
    EXPECT_EQ(StrokeCountFormula(40, 700, 12), 593); // the default style's preview
    EXPECT_EQ(StrokeCountFormula(0, 700, 12), 0);
    EXPECT_EQ(StrokeCountFormula(40, 700, 0), 0);
    EXPECT_EQ(StrokeCountFormula(10, 1, 1), 70);
    // 400 * B wraps in 32 bits; the sum and the division are 64-bit and the
    // result is cut to 32 bits: 400 * 2^30 wraps to 0, so only 3 * A is left.
    EXPECT_EQ(StrokeCountFormula(INT_MAX, 1 << 30, -1), static_cast<int32_t>(-3 * int64_t(INT_MAX)));
    EXPECT_EQ(StrokeCountFormula(-7, 700, 3), (-21 - 40000) / 3); // truncated toward zero
}

TEST(GTypesGeometry, JitteredLengthNeverWrapsRound)
{
    // Seed 0 draws 0; seed 0x4D60AE66 draws n - 1 (the next seed is 2^32 - 1).
    struct Case {
        uint32_t seed;
        int32_t length, expected;
    };
    const Case cases[] = {
        {0, 40, 38},
        {0x4D60AE66u, 40, 41},
        {0, 2147483647, 2147483647 - 107374182},
        {0x4D60AE66u, 2147483647, 2147483647},     // 2^31 - 1 + 214748363 - 107374182 saturates
        {0x4D60AE66u, 2000000000, 2099999999},     // 2e9 + 199999999 - 100000000
        {0x4D60AE66u, 2100000000, 2147483647},     // 2.1e9 + 209999999 - 105000000 saturates
        {0, INT_MIN, INT_MIN + 107374182},
        {0x4D60AE66u, INT_MIN, INT_MIN},
        {0, 9, 9},
    };
    for (const Case& c : cases) {
        RandSeed = c.seed;
        EXPECT_EQ(JitteredLength(c.length), c.expected) << c.length;
    }
}

TEST(GTypesDirections, DirectionToByteKnownAnswers)
{
    EXPECT_EQ(DirectionToByte(1, 0), 64);
    EXPECT_EQ(DirectionToByte(0, 0), 191);
    EXPECT_EQ(DirectionToByte(-1, 0), 191);
    EXPECT_EQ(DirectionToByte(1, 1), 16);
    // A uniform area gives -0.0 for Y: byte 0, not 255.
    EXPECT_EQ(DirectionToByte(-0.0, 1), 0);
    EXPECT_EQ(DirectionToByte(0.0, 1), 0);
    EXPECT_EQ(DirectionToByte(-0.0, -1), 191);
}

TEST(GTypesDirections, FastDirectionIsTheExactByte)
{
    // The map's per-pixel conversion must give the same byte as the exact one
    // for every input: interpolated unit vectors, tiny and signed-zero parts.
    SeedGuard seed(99);
    auto check = [](float y, float x) { ASSERT_EQ(DirectionToByteFast(y, x), DirectionToByte(y, x)) << y << "," << x; };
    for (int i = 0; i < 2000000; ++i) {
        const float a = Single(Random(1 << 30) / double(1 << 30) * 2 * M_PI);
        const float len = Single(Random(1000) / 999.0);
        check(Single(std::sin(a) * len), Single(std::cos(a) * len));
    }
    const float inf = std::numeric_limits<float>::infinity(), big = std::numeric_limits<float>::max();
    const float nan = std::numeric_limits<float>::quiet_NaN(), tiny = std::numeric_limits<float>::denorm_min();
    for (float y : {0.0f, -0.0f, 1e-30f, -1e-30f, 1e-7f, -1e-7f, 1.0f, -1.0f, tiny, -tiny, big, -big, inf, -inf, nan})
        for (float x : {0.0f, -0.0f, 1e-30f, -1e-30f, 1e-7f, -1e-7f, 1.0f, -1.0f, tiny, -tiny, big, -big, inf, -inf, nan})
            check(y, x);
}

TEST(GTypesDirections, InterpolateIDW)
{
    std::vector<TVectorSample> none;
    TVectorSample r = InterpolateIDW(none, Point(5, 6));
    EXPECT_EQ(r.X, 5);
    EXPECT_EQ(r.Y, 6);
    EXPECT_EQ(r.VX, 0.0f);
    EXPECT_EQ(r.VY, 0.0f);

    std::vector<TVectorSample> one{{5, 6, 1.0f, -1.0f}};
    r = InterpolateIDW(one, Point(5, 6));
    EXPECT_FLOAT_EQ(r.VX, -1.0f);
    EXPECT_FLOAT_EQ(r.VY, 1.0f);

    // Two samples at equal distances average their vectors.
    std::vector<TVectorSample> two{{0, 0, 1.0f, 1.0f}, {20, 0, 3.0f, 3.0f}};
    r = InterpolateIDW(two, Point(10, 0));
    EXPECT_FLOAT_EQ(r.VX, 2.0f);
    EXPECT_FLOAT_EQ(r.VY, 2.0f);
}

TEST(GTypesDrawing, StrokePolygonFillsTheOutlineAtScale)
{
    TBitmap32 bmp(40, 40, clWhite32);
    TArrayOfFixedPoint left{FixedPoint(2, 2), FixedPoint(18, 2)};
    TArrayOfFixedPoint right{FixedPoint(2, 10), FixedPoint(18, 10)};
    DrawStrokePolygon(left, right, bmp, 1.0, clBlack32);
    EXPECT_EQ(bmp.Pixel(10, 6) & 0xFFFFFF, 0u);
    EXPECT_EQ(bmp.Pixel(25, 6), clWhite32);

    TBitmap32 big(40, 40, clWhite32);
    DrawStrokePolygon(left, right, big, 2.0, clBlack32);
    EXPECT_EQ(big.Pixel(30, 12) & 0xFFFFFF, 0u);
    EXPECT_EQ(big.Pixel(30, 25), clWhite32);
}

TEST(GTypesDrawing, DashedCircleLiesOnItsRadius)
{
    TBitmap32 bmp(41, 41, clWhite32);
    DrawDashedCircle(bmp, Point(20, 20), clBlack32, clRed32, 10);
    EXPECT_EQ(bmp.Pixel(20, 20), clWhite32);
    EXPECT_NE(bmp.Pixel(30, 20), clWhite32);
    EXPECT_NE(bmp.Pixel(20, 10), clWhite32);
    EXPECT_EQ(bmp.Pixel(0, 0), clWhite32);
}

TEST(GTypesDrawing, ArcCoversOnlyItsAngles)
{
    // A quarter arc from 0 to pi/2 (y grows downward): right and below the
    // centre, slightly past the end, nothing on the far side.
    TBitmap32 bmp(41, 41, clWhite32);
    DrawArc(bmp, Point(20, 20), clBlack32, 10, 0, M_PI / 2);
    EXPECT_NE(bmp.Pixel(30, 20), clWhite32);
    EXPECT_NE(bmp.Pixel(27, 27), clWhite32);
    EXPECT_NE(bmp.Pixel(20, 30), clWhite32);
    EXPECT_EQ(bmp.Pixel(10, 20), clWhite32);
    EXPECT_EQ(bmp.Pixel(20, 10), clWhite32);
    EXPECT_EQ(bmp.Pixel(13, 13), clWhite32);
}

TEST(GTypesErrors, IndexErrorText)
{
    EXPECT_EQ(IndexErrorMessage(7, "TPattern.GetFrames"), "TPattern.GetFrames: Index out of bounds(7)");
    EXPECT_EQ(IndexErrorMessage(-1, "TPattern.GetFrames"), "TPattern.GetFrames: Index out of bounds(-1)");
    EXPECT_THROW(RaiseIndexError(3, "TPolyBezier.GetSegment"), EngineError);
}
