// Polygons and anti-aliased lines: QPainter decides the edge coverage, so the
// checks stay away from edges and look at what is certainly in or out.
#include "gfx/Bitmap32.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

constexpr TColor32 Background = 0x12345678u; // untouched pixels must keep every byte

TArrayOfFixedPoint Square(double l, double t, double r, double b)
{
    return {FixedPoint(l, t), FixedPoint(r, t), FixedPoint(r, b), FixedPoint(l, b)};
}

// A pentagram around (32, 32): its centre is wound round twice.
TArrayOfFixedPoint Pentagram()
{
    TArrayOfFixedPoint points;
    for (int k = 0; k < 5; ++k) {
        const double a = (-90.0 + 144.0 * k) * M_PI / 180.0;
        points.push_back(FixedPoint(32 + 30 * std::cos(a), 32 + 30 * std::sin(a)));
    }
    return points;
}

TEST(PolygonFSTest, FillsTheInsideAndLeavesTheOutsideByteForByte)
{
    TBitmap32 b(12, 12, Background);
    PolygonFS(b, Square(2, 2, 9, 9), 0xFFCC8844u);
    for (int32_t y = 0; y < 12; ++y)
        for (int32_t x = 0; x < 12; ++x) {
            if (x >= 2 && x < 9 && y >= 2 && y < 9)
                ASSERT_EQ(b.Pixel(x, y), 0xFFCC8844u) << x << "," << y;
            else
                ASSERT_EQ(b.Pixel(x, y), Background) << x << "," << y;
        }
}

TEST(PolygonFSTest, FillRulesDifferInTheDoublyWoundCentre)
{
    TBitmap32 alternate(64, 64, Background), winding(64, 64, Background);
    PolygonFS(alternate, Pentagram(), 0xFF000000u, TPolyFillMode::pfAlternate);
    PolygonFS(winding, Pentagram(), 0xFF000000u, TPolyFillMode::pfWinding);
    EXPECT_EQ(alternate.Pixel(31, 31), Background);
    EXPECT_EQ(winding.Pixel(31, 31), 0xFF000000u);
    // Inside one tip (wound once) both fill; between two tips neither does.
    EXPECT_EQ(alternate.Pixel(31, 17), 0xFF000000u);
    EXPECT_EQ(winding.Pixel(31, 17), 0xFF000000u);
    EXPECT_EQ(alternate.Pixel(31, 52), Background);
    EXPECT_EQ(winding.Pixel(31, 52), Background);
    EXPECT_EQ(winding.Pixel(2, 2), Background);
}

TEST(PolygonFSTest, TranslucentColourBlendsByItsAlpha)
{
    TBitmap32 b(8, 8, clWhite32);
    PolygonFS(b, Square(0, 0, 8, 8), 0x80000000u);
    const TColor32 c = b.Pixel(4, 4);
    EXPECT_EQ(AlphaComponent(c), 255);
    EXPECT_NEAR(RedComponent(c), 127, 1);
    EXPECT_EQ(RedComponent(c), BlueComponent(c));
}

TEST(PolygonFSTest, SourceOverOnTranslucentPixels)
{
    // On a transparent bitmap the colour lands with its own alpha; over a
    // translucent pixel an opaque colour makes it opaque.
    TBitmap32 clear(6, 6, clTransparent32);
    PolygonFS(clear, Square(0, 0, 6, 6), 0x80FF0000u);
    EXPECT_EQ(clear.Pixel(3, 3), 0x80FF0000u);
    TBitmap32 faint(6, 6, 0x40FFFFFFu);
    PolygonFS(faint, Square(0, 0, 6, 6), 0xFF000000u);
    EXPECT_EQ(faint.Pixel(3, 3), 0xFF000000u);
}

TEST(PolygonFSTest, FractionalCoordinatesAreSixteenSixteen)
{
    // Right edge at 5.5: pixel 4 is inside, pixel 5 half covered, pixel 6 out.
    TBitmap32 b(8, 3, clWhite32);
    PolygonFS(b, Square(0, 0, 5.5, 3), clBlack32);
    EXPECT_EQ(b.Pixel(4, 1), clBlack32);
    EXPECT_NEAR(RedComponent(b.Pixel(5, 1)), 128, 2);
    EXPECT_EQ(b.Pixel(6, 1), clWhite32);
}

TEST(PolygonFSTest, DegenerateInputDrawsNothing)
{
    TBitmap32 b(6, 6, Background);
    PolygonFS(b, {}, clBlack32);
    PolygonFS(b, {FixedPoint(1, 1), FixedPoint(5, 5)}, clBlack32);
    PolygonFS(b, Square(1, 1, 5, 5), 0x00FFFFFFu);
    for (int32_t i = 0; i < 36; ++i) EXPECT_EQ(b.Bits()[i], Background);
    TBitmap32 empty;
    PolygonFS(empty, Square(0, 0, 4, 4), clBlack32); // must not crash
}

TEST(LineFSTest, IntegerCoordinatesLieOnPixelCentres)
{
    TBitmap32 b(10, 10, clWhite32);
    b.LineFS(1, 5, 8, 5, clBlack32);
    EXPECT_LE(RedComponent(b.Pixel(4, 5)), 8);
    EXPECT_EQ(b.Pixel(4, 3), clWhite32);
    EXPECT_EQ(b.Pixel(4, 7), clWhite32);
    EXPECT_EQ(b.Pixel(0, 0), clWhite32);
}

TEST(LineFSTest, FarAwayAndDegenerateLines)
{
    TBitmap32 b(10, 10, clWhite32);
    b.LineFS(-1e12, 2, 1e12, 2, clBlack32);
    EXPECT_LE(RedComponent(b.Pixel(5, 2)), 8);
    TBitmap32 c(10, 10, Background);
    c.LineFS(3, 3, 3, 3, clBlack32);
    c.LineFS(NAN, 0, 5, 5, clBlack32);
    c.LineFS(-50, -50, -20, -60, clBlack32);
    for (int32_t i = 0; i < 100; ++i) EXPECT_EQ(c.Bits()[i], Background);
}

} // namespace
