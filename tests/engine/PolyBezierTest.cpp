// Poly-Bezier curves: the chain and its index errors, hit tests and their
// selections, point moves and their change events, and what Draw puts into a
// white buffer (handle squares, glyphs, tangents, the band's dashed edges).
#include "engine/PolyBezier.h"

#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class TTestGlyph : public IHandleGlyphSource {
public:
    TBitmap32 Glyph{3, 3, clGreen32};
    const TBitmap32* HandleGlyph() const override { return &Glyph; }
};

// Registers a glyph for the curves made while it lives.
struct TGlyphScope {
    TTestGlyph source;
    TGlyphScope() { SetHandleGlyphSource(&source); }
    ~TGlyphScope() { SetHandleGlyphSource(nullptr); }
};

std::string ErrorText(const std::function<void()>& f)
{
    try {
        f();
    } catch (const EngineError& e) {
        return e.what();
    }
    return "no error";
}

struct TChangeCounter {
    int Count = 0;
    void Attach(TPolyBezier& c)
    {
        c.SetOnChange([this](TPolyBezier&) { ++Count; });
    }
};

// A curve from (0, 0) to (10, 4) with its control points off the chord.
TPolyBezier BentCurve()
{
    TPolyBezier c({0, 0});
    c.AddCurveSegment({3, 7}, {8, 9}, {10, 4});
    return c;
}

bool IsWhite(TColor32 c) { return (c & 0x00FFFFFFu) == 0x00FFFFFFu; }
bool IsDark(TColor32 c) { return RedComponent(c) < 80 && GreenComponent(c) < 80 && BlueComponent(c) < 80; }

int CountDark(const TBitmap32& b, int y, int x0, int x1)
{
    int n = 0;
    for (int x = x0; x < x1; ++x) n += IsDark(b.Pixel(x, y));
    return n;
}

} // namespace

// --- The chain ---------------------------------------------------------------------

TEST(PolyBezierTest, SegmentsChainFromTheStartPoint)
{
    TPolyBezier c({1, 2});
    EXPECT_EQ(c.SegmentCount(), 0);
    EXPECT_EQ(c.AddSegment({TPolyBezierSegment::skLine, {5, 5}, {}, {}}), 0);
    c.AddCurveSegment({6, 6}, {7, 7}, {9, 1});
    EXPECT_EQ(c.SegmentStart(0), Point(1, 2));
    EXPECT_EQ(c.SegmentStart(1), Point(5, 5));
    EXPECT_EQ(c.SelectedSegment(), 1);
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spCurveEnd);
    EXPECT_EQ(c.SelectedSegmentStart(), Point(5, 5));
    EXPECT_EQ(TPolyBezier::MakeCurveSegment({1, 1}, {2, 2}, {3, 3}),
              (TPolyBezierSegment{TPolyBezierSegment::skCurve, {1, 1}, {2, 2}, {3, 3}}));
}

TEST(PolyBezierTest, LineSegmentBecomesAStraightBezier)
{
    TPolyBezier c({0, 0});
    c.AddSegment({TPolyBezierSegment::skLine, {3, 3}, {}, {}});
    EXPECT_EQ(c.GetBezier(0), (TBezier{{0, 0}, {1, 1}, {1, 1}, {3, 3}}));
    // The midpoint truncates toward zero on negative coordinates too.
    TPolyBezier n({-3, 0});
    n.AddSegment({TPolyBezierSegment::skLine, {0, 0}, {}, {}});
    EXPECT_EQ(n.GetBezier(0).P1, Point(-1, 0));
    EXPECT_EQ(BentCurve().GetBezier(0), (TBezier{{0, 0}, {3, 7}, {8, 9}, {10, 4}}));
}

TEST(PolyBezierTest, IndexErrorsNameTheOperationAndIndex)
{
    const TPolyBezier c = BentCurve();
    EXPECT_EQ(ErrorText([&] { c.GetSegment(-1); }), "TPolyBezier.GetSegment: Index out of bounds(-1)");
    EXPECT_EQ(ErrorText([&] { c.GetSegment(1); }), "TPolyBezier.GetSegment: Index out of bounds(1)");
    EXPECT_EQ(ErrorText([&] { c.GetBezier(7); }), "TPolyBezier.GetSegment: Index out of bounds(7)");
    // The start of segment 2 is the end of segment 1, which does not exist.
    EXPECT_EQ(ErrorText([&] { c.SegmentStart(2); }), "TPolyBezier.GetSegment: Index out of bounds(1)");
}

// --- Hit tests -----------------------------------------------------------------------

TEST(PolyBezierTest, NewCurveCanOnlySelectItsStartPoint)
{
    TPolyBezier c({10, 10});
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spNone);
    EXPECT_FALSE(c.HitTest({0, 0}, 40, 40));
    EXPECT_TRUE(c.HitTest({0, 0}, 12, 12));
    EXPECT_EQ(c.SelectedSegment(), -1);
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spStart);
}

TEST(PolyBezierTest, PickDistanceIsStrictManhattan)
{
    TPolyBezier c({10, 10});
    EXPECT_FALSE(c.HitTest({0, 0}, 15, 13)); // 5 across, 3 down: 8
    EXPECT_TRUE(c.HitTest({0, 0}, 15, 12));  // 7
    EXPECT_TRUE(c.HitTest({0, 0}, 3, 10));   // 7 the other way
    // The origin is where the curve is shown: the pointer is measured from it.
    EXPECT_FALSE(c.HitTest({100, 50}, 15, 12));
    EXPECT_TRUE(c.HitTest({100, 50}, 115, 62));
    EXPECT_EQ(c.Origin(), Point(100, 50));
}

TEST(PolyBezierTest, StartPointWinsThenEarlierSegmentsThenEarlierPoints)
{
    TPolyBezier c({0, 0});
    c.AddCurveSegment({3, 0}, {50, 50}, {100, 0});
    c.AddCurveSegment({102, 0}, {150, 50}, {200, 0});
    EXPECT_TRUE(c.HitTest({0, 0}, 2, 0)); // near the start and the first control point
    EXPECT_EQ(c.SelectedSegment(), -1);
    EXPECT_TRUE(c.HitTest({0, 0}, 101, 0)); // end of 0 and first control of 1
    EXPECT_EQ(c.SelectedSegment(), 0);
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spCurveEnd);
    EXPECT_TRUE(c.HitTest({0, 0}, 150, 52));
    EXPECT_EQ(c.SelectedSegment(), 1);
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spControl2);
}

TEST(PolyBezierTest, MissLeavesTheSelection)
{
    TPolyBezier c = BentCurve();
    ASSERT_TRUE(c.HitTest({0, 0}, 3, 8));
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spControl1);
    EXPECT_FALSE(c.HitTest({0, 0}, 300, 300));
    EXPECT_EQ(c.SelectedSegment(), 0);
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spControl1);
}

TEST(PolyBezierTest, LineEndIsPointOne)
{
    TPolyBezier c({0, 0});
    c.AddSegment({TPolyBezierSegment::skLine, {40, 0}, {}, {}});
    EXPECT_TRUE(c.HitTest({0, 0}, 41, 1));
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spLineEnd);
}

// --- Moves and events -----------------------------------------------------------------

TEST(PolyBezierTest, KeepStraightPutsBothControlsOnTheChordMidpoint)
{
    TPolyBezier c({0, 0});
    c.AddCurveSegment({0, 0}, {0, 0}, {0, 0});
    TChangeCounter changes;
    changes.Attach(c);
    c.MoveSelectedPoint(10, 4, true);
    EXPECT_EQ(c.GetSegment(0), (TPolyBezierSegment{TPolyBezierSegment::skCurve, {5, 2}, {5, 2}, {10, 4}}));
    EXPECT_EQ(changes.Count, 1);
}

TEST(PolyBezierTest, MovesTheSelectedPointOnly)
{
    TPolyBezier c = BentCurve();
    ASSERT_TRUE(c.HitTest({0, 0}, 8, 10)); // 8 from the first control point, 1 from the second
    EXPECT_EQ(c.SelectedPoint(), TPolyBezier::spControl2);
    c.MoveSelectedPoint(20, 21, false);
    EXPECT_EQ(c.GetBezier(0), (TBezier{{0, 0}, {3, 7}, {20, 21}, {10, 4}}));
    ASSERT_TRUE(c.HitTest({0, 0}, 1, 1));
    c.MoveSelectedPoint(-5, -6, false);
    EXPECT_EQ(c.StartPoint(), Point(-5, -6));
    EXPECT_EQ(c.SegmentStart(0), Point(-5, -6));
}

TEST(PolyBezierTest, MoveWithoutAValidSelectionChangesNothing)
{
    TChangeCounter changes;
    TPolyBezier fresh({1, 1}); // nothing selected yet, no segment
    changes.Attach(fresh);
    fresh.MoveSelectedPoint(9, 9, false);
    EXPECT_EQ(fresh.StartPoint(), Point(1, 1));

    TPolyBezier line({0, 0}); // a segment, but never a selected point
    changes.Attach(line);
    line.AddSegment({TPolyBezierSegment::skLine, {4, 4}, {}, {}});
    line.MoveSelectedPoint(9, 9, false);
    line.SetSegmentPoint(9, 9, 1);
    EXPECT_EQ(line.GetSegment(0).P1, Point(4, 4));
    EXPECT_EQ(changes.Count, 0);
}

TEST(PolyBezierTest, SetSegmentPointNeedsASelectedSegmentAndAKnownIndex)
{
    TPolyBezier c = BentCurve();
    TChangeCounter changes;
    changes.Attach(c);
    c.SetSegmentPoint(1, 2, TPolyBezier::spControl1);
    c.SetSegmentPoint(3, 4, TPolyBezier::spControl2);
    c.SetSegmentPoint(5, 6, TPolyBezier::spCurveEnd);
    EXPECT_EQ(c.GetBezier(0), (TBezier{{0, 0}, {1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(changes.Count, 3);
    c.SetSegmentPoint(7, 7, 5); // no such point
    c.SetSegmentPoint(7, 7, 1); // a curve has no point 1
    ASSERT_TRUE(c.HitTest({0, 0}, 0, 0));
    c.SetSegmentPoint(7, 7, TPolyBezier::spCurveEnd); // the start point is no segment
    EXPECT_EQ(c.GetBezier(0), (TBezier{{0, 0}, {1, 2}, {3, 4}, {5, 6}}));
    EXPECT_EQ(changes.Count, 3);
}

TEST(PolyBezierTest, SelectedLineEndMovesWhateverTheIndex)
{
    TPolyBezier c({0, 0});
    c.AddSegment({TPolyBezierSegment::skLine, {40, 0}, {}, {}});
    ASSERT_TRUE(c.HitTest({0, 0}, 40, 0));
    c.SetSegmentPoint(7, 8, TPolyBezier::spControl2);
    EXPECT_EQ(c.GetSegment(0).P1, Point(7, 8));
    c.MoveSelectedPoint(9, 9, true);
    EXPECT_EQ(c.GetSegment(0).P1, Point(9, 9));
}

TEST(PolyBezierTest, ColourAndModeEvents)
{
    TPolyBezier c({0, 0});
    TChangeCounter changes;
    changes.Attach(c);
    c.SetColor(0);
    EXPECT_EQ(changes.Count, 0);
    c.SetColor(clRed32);
    c.SetColor(clRed32);
    EXPECT_EQ(changes.Count, 1);
    c.SetMode(1);
    c.SetMode(1);
    EXPECT_EQ(changes.Count, 3);
    c.SetWidth(5.0f);
    c.SetHighlighted(true);
    EXPECT_EQ(changes.Count, 3);
}

TEST(PolyBezierTest, GlyphIsTakenWhenTheCurveIsMade)
{
    EXPECT_EQ(TPolyBezier({0, 0}).HandleGlyph(), nullptr);
    TGlyphScope glyph;
    EXPECT_EQ(TPolyBezier({0, 0}).HandleGlyph(), &glyph.source.Glyph);
}

// --- Drawing into a white buffer -------------------------------------------------------

TEST(PolyBezierTest, EmptyCurveDrawsNothing)
{
    TBitmap32 buffer(20, 20, clWhite32);
    TPolyBezier c({10, 10});
    c.Draw({0, 0}, buffer);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(buffer.Pixel(x, y), clWhite32);
}

TEST(PolyBezierTest, PlainCurveShowsEndSquaresAndALineWithoutItsLastPixel)
{
    TBitmap32 buffer(60, 40, clWhite32);
    TPolyBezier c({10, 20});
    c.AddCurveSegment({20, 20}, {30, 20}, {40, 20});
    c.SetColor(clRed32);
    c.Draw({0, 0}, buffer);
    // The square outline around the start: corners and left edge black, inside white.
    EXPECT_EQ(buffer.Pixel(8, 18), clBlack32);
    EXPECT_EQ(buffer.Pixel(12, 22), clBlack32);
    EXPECT_EQ(buffer.Pixel(8, 20), clBlack32);
    EXPECT_EQ(buffer.Pixel(11, 19), clWhite32);
    // The curve: from its first pixel up to but not including (40, 20).
    EXPECT_EQ(buffer.Pixel(10, 20), clRed32);
    EXPECT_EQ(buffer.Pixel(39, 20), clRed32);
    EXPECT_EQ(buffer.Pixel(40, 20), clWhite32);
    EXPECT_EQ(buffer.Pixel(42, 18), clBlack32); // the end's square
    // No handles on the control points unless highlighted.
    EXPECT_EQ(buffer.Pixel(18, 18), clWhite32);
    EXPECT_EQ(buffer.Pixel(28, 22), clWhite32);
}

TEST(PolyBezierTest, LineSegmentHasHandlesAtBothEnds)
{
    TBitmap32 buffer(40, 40, clWhite32);
    TPolyBezier c({5, 5});
    c.AddSegment({TPolyBezierSegment::skLine, {30, 5}, {}, {}});
    c.SetColor(clBlue32);
    c.Draw({2, 10}, buffer);
    EXPECT_EQ(buffer.Pixel(5, 13), clBlack32); // (5, 5) + origin - (2, 2)
    EXPECT_EQ(buffer.Pixel(34, 17), clBlack32);
    EXPECT_EQ(buffer.Pixel(20, 15), clBlue32);
}

TEST(PolyBezierTest, HighlightedCurveShowsGlyphsOnAllFourPointsAndItsTangents)
{
    TGlyphScope glyph;
    TBitmap32 buffer(60, 60, clWhite32);
    TPolyBezier c({10, 10});
    c.AddCurveSegment({10, 50}, {50, 50}, {50, 10});
    c.SetColor(clRed32);
    c.SetHighlighted(true);
    c.Draw({0, 0}, buffer);
    EXPECT_EQ(buffer.Pixel(11, 9), clGreen32);  // start
    EXPECT_EQ(buffer.Pixel(9, 51), clGreen32);  // first control point
    EXPECT_EQ(buffer.Pixel(51, 51), clGreen32); // second control point
    EXPECT_EQ(buffer.Pixel(49, 9), clGreen32);  // end
    EXPECT_EQ(buffer.Pixel(8, 8), clWhite32);   // glyphs, not squares
    // Mode 0: the tangents are plain lines in the curve's colour.
    EXPECT_EQ(buffer.Pixel(10, 30), clRed32);
    EXPECT_EQ(buffer.Pixel(50, 30), clRed32);
}

TEST(PolyBezierTest, CurveWithoutAGlyphSkipsIt)
{
    TBitmap32 buffer(60, 60, clWhite32);
    TPolyBezier c({10, 10});
    c.AddCurveSegment({10, 50}, {50, 50}, {50, 10});
    c.SetColor(clRed32);
    c.SetHighlighted(true);
    c.Draw({0, 0}, buffer);
    EXPECT_EQ(buffer.Pixel(9, 51), clWhite32);
    EXPECT_EQ(buffer.Pixel(8, 8), clWhite32);
    EXPECT_EQ(buffer.Pixel(10, 30), clRed32);
}

TEST(PolyBezierTest, AntiAliasedTangentsAreDottedHalfTransparentBlue)
{
    TBitmap32 buffer(60, 60, clWhite32);
    TPolyBezier c({10, 10});
    c.AddCurveSegment({10, 50}, {50, 50}, {50, 10});
    c.SetMode(1);
    c.SetColor(clRed32);
    c.SetHighlighted(true);
    c.Draw({0, 0}, buffer);
    // Below y = 30 the curve has left the first tangent.
    int blue = 0, white = 0;
    for (int y = 30; y < 50; ++y) {
        const TColor32 p = buffer.Pixel(10, y);
        if (IsWhite(p)) ++white;
        if (BlueComponent(p) == 255 && RedComponent(p) > 100 && RedComponent(p) < 160) ++blue;
    }
    EXPECT_GE(blue, 4);
    EXPECT_GE(white, 12); // three gaps in four
}

TEST(PolyBezierTest, ThinCurveHasNoHandles)
{
    TBitmap32 buffer(60, 40, clWhite32);
    TPolyBezier c({10, 20});
    c.AddCurveSegment({20, 20}, {30, 20}, {40, 20});
    c.SetColor(clRed32);
    c.SetWidth(0.5f);
    c.SetHighlighted(true);
    c.Draw({0, 0}, buffer);
    EXPECT_EQ(buffer.Pixel(8, 18), clWhite32);
    EXPECT_EQ(buffer.Pixel(20, 20), clRed32);
}

TEST(PolyBezierTest, BandDrawsDashedEdgesAndNoCurveOrHandles)
{
    TGlyphScope glyph;
    TBitmap32 buffer(100, 60, clWhite32);
    TPolyBezier c({20, 30});
    c.AddCurveSegment({40, 30}, {60, 30}, {80, 30});
    c.SetColor(clRed32);
    c.SetWidth(10.0f);
    c.SetHighlighted(true);
    c.Draw({0, 0}, buffer);
    // Both edges, 10 pixels either side: dashes of black among white.
    for (const int y : {20, 40}) {
        const int dark = CountDark(buffer, y, 24, 76);
        EXPECT_GE(dark, 16) << "edge at y " << y;
        EXPECT_LE(dark, 36) << "edge at y " << y;
    }
    // The curve itself and its handles are not drawn.
    for (int x = 14; x < 86; ++x) ASSERT_TRUE(IsWhite(buffer.Pixel(x, 30))) << x;
    // Round caps bulge out beyond both ends.
    EXPECT_FALSE(IsWhite(buffer.Pixel(10, 30)));
    EXPECT_FALSE(IsWhite(buffer.Pixel(90, 30)));
}

TEST(PolyBezierTest, BandCapsAreDashedLikeTheEdges)
{
    // On a black picture the caps must still show: white dashes among black.
    TBitmap32 buffer(100, 60, clBlack32);
    TPolyBezier c({20, 30});
    c.AddCurveSegment({40, 30}, {60, 30}, {80, 30});
    c.SetWidth(10.0f);
    c.Draw({0, 0}, buffer);
    for (const auto& [from, to] : {std::pair{0, 18}, std::pair{83, 100}}) {
        int light = 0;
        for (int y = 0; y < 60; ++y)
            for (int x = from; x < to; ++x) light += GreenComponent(buffer.Pixel(x, y)) > 128;
        EXPECT_GT(light, 3) << "cap between x " << from << " and " << to;
    }
}

TEST(PolyBezierTest, BandEdgesAreRoundedWhereTheCurveLiesNotWhereItIsShown)
{
    // The control line from (0, 0) to (5042, -2911) turns the first edge's
    // offset into exactly (4.5, 7.79...) at width 9: rounded on the curve, the
    // edge starts at x = 4 wherever the curve is shown, so a picture shown one
    // pixel further right is the same picture one pixel further right.
    TPolyBezier c({0, 0});
    c.AddCurveSegment({5042, -2911}, {5042, -2911}, {10084, -5822});
    c.SetWidth(9.0f);
    TBitmap32 atZero(60, 60, clBlack32), atOne(60, 60, clBlack32);
    c.Draw({0, 40}, atZero);
    c.Draw({1, 40}, atOne);
    for (int y = 0; y < 60; ++y)
        for (int x = 0; x + 1 < 60; ++x) ASSERT_EQ(atOne.Pixel(x + 1, y), atZero.Pixel(x, y)) << x << ", " << y;
}

TEST(PolyBezierTest, FarAwayPointsAreDrawnWithoutHangingOrOverflow)
{
    TBitmap32 buffer(50, 50, clWhite32);
    TPolyBezier c({10, 10});
    c.AddCurveSegment({2000000000, 10}, {-2000000000, 40}, {40, 40});
    c.SetMode(1);
    c.SetHighlighted(true);
    c.Draw({0, 0}, buffer);
    c.SetWidth(30.0f);
    c.Draw({0, 0}, buffer);
    EXPECT_FALSE(c.HitTest({0, 0}, 25, 25));
}
