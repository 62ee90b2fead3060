#include "engine/Bezier.h"

#include "gfx/Errors.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<TBezier> Pieces(const TBezier& curve)
{
    std::vector<TBezier> pieces;
    SubdivideBezier(curve, [&](const TBezier& q) { pieces.push_back(q); });
    return pieces;
}

std::vector<int32_t> EndXs(const TBezier& curve)
{
    std::vector<int32_t> xs;
    for (const TBezier& q : Pieces(curve)) xs.push_back(q.P3.X);
    return xs;
}

} // namespace

TEST(BezierMidTest, RoundsTowardTheFirstPoint)
{
    EXPECT_EQ(BezierMid({1, 1}, {4, 4}), (TPoint{2, 2}));
    EXPECT_EQ(BezierMid({4, -4}, {1, -1}), (TPoint{3, -3}));
    // Far-apart points do not overflow.
    EXPECT_EQ(BezierMid({-2147483647 - 1, 0}, {2147483647, 0}).X, -1);
}

TEST(SubdivideBezierTest, PointCurveGivesEightEqualPieces)
{
    const TPoint p{5, -7};
    const std::vector<TBezier> pieces = Pieces({p, p, p, p});
    ASSERT_EQ(pieces.size(), 8u);
    for (const TBezier& q : pieces) EXPECT_EQ(q, (TBezier{p, p, p, p}));
}

TEST(SubdivideBezierTest, JointsOfACurveAndItsReverseDiffer)
{
    EXPECT_EQ(EndXs({{0, 0}, {0, 0}, {0, 0}, {8, 0}}), (std::vector<int32_t>{0, 0, 0, 1, 1, 3, 5, 8}));
    EXPECT_EQ(EndXs({{8, 0}, {0, 0}, {0, 0}, {0, 0}}), (std::vector<int32_t>{7, 4, 4, 1, 1, 1, 1, 0}));
}

TEST(SubdivideBezierTest, PiecesChainFromStartToEnd)
{
    const TBezier curve{{-30, 12}, {100, -80}, {7, 300}, {64, 64}};
    const std::vector<TBezier> pieces = Pieces(curve);
    ASSERT_EQ(pieces.size(), 8u);
    EXPECT_EQ(pieces.front().P0, curve.P0);
    EXPECT_EQ(pieces.back().P3, curve.P3);
    for (size_t i = 1; i < pieces.size(); ++i) EXPECT_EQ(pieces[i].P0, pieces[i - 1].P3);
}

TEST(SubdivideBezierTest, CallbackMayStartAnotherSubdivision)
{
    int inner = 0, outer = 0;
    SubdivideBezier({{0, 0}, {10, 0}, {20, 0}, {30, 0}}, [&](const TBezier& q) {
        ++outer;
        SubdivideBezier(q, [&](const TBezier&) { ++inner; });
    });
    EXPECT_EQ(outer, 8);
    EXPECT_EQ(inner, 64);
}

TEST(BezierHelperTest, PixelLineStartsTwiceAndEndsExactly)
{
    TBezierHelper h;
    h.AddLine(0, 0, 3, 1);
    EXPECT_EQ(h.Points(), (std::vector<TPoint>{{0, 0}, {0, 0}, {1, 0}, {2, 0}, {3, 1}}));
    TBezierHelper z;
    z.AddLine(4, 4, 4, 4);
    EXPECT_EQ(z.Points(), (std::vector<TPoint>{{4, 4}, {4, 4}}));
    TBezierHelper back;
    back.AddLine(0, 0, -2, -5);
    EXPECT_EQ(back.Points().size(), 7u);
    EXPECT_EQ(back.Points().back(), (TPoint{-2, -5}));
}

TEST(BezierHelperTest, RasterizingAPointCurveGives48Copies)
{
    TBezierHelper h;
    h.Rasterize({3, 3}, {3, 3}, {3, 3}, {3, 3});
    EXPECT_EQ(h.Points(), std::vector<TPoint>(48, TPoint{3, 3}));
}

TEST(BezierHelperTest, RasterizedChainTriplesEachJoint)
{
    TBezierHelper h;
    h.Rasterize({0, 0}, {0, 0}, {0, 0}, {8, 0});
    const std::vector<TPoint>& pts = h.Points();
    EXPECT_EQ(pts.front(), (TPoint{0, 0}));
    EXPECT_EQ(pts.back(), (TPoint{8, 0}));
    // Second piece ends at X = 0, third at 0, fourth at 1: the run of the
    // pixel (1, 0) where the fourth piece's polygon meets the fifth's.
    int tripleRuns = 0;
    for (size_t i = 2; i < pts.size(); ++i)
        if (pts[i] == pts[i - 1] && pts[i] == pts[i - 2]) ++tripleRuns;
    EXPECT_GE(tripleRuns, 23);
}

TEST(BezierHelperTest, SplitChainCutsWholeSpansThenTheRest)
{
    std::vector<TPoint> chain;
    for (int32_t i = 0; i <= 25; ++i) chain.push_back({i, 0});
    const auto x = [](const TBezier& b) { return std::vector<int32_t>{b.P0.X, b.P1.X, b.P2.X, b.P3.X}; };
    const std::vector<TBezier> pieces = TBezierHelper::SplitChain(chain, 10);
    ASSERT_EQ(pieces.size(), 3u);
    EXPECT_EQ(x(pieces[0]), (std::vector<int32_t>{0, 2, 8, 10}));
    EXPECT_EQ(x(pieces[1]), (std::vector<int32_t>{10, 12, 18, 20}));
    EXPECT_EQ(x(pieces[2]), (std::vector<int32_t>{20, 21, 24, 25}));

    chain.resize(21); // N = 20, a multiple of the step: no short piece
    EXPECT_EQ(TBezierHelper::SplitChain(chain, 10).size(), 2u);

    chain.resize(8); // N = 7 below the step: only the short piece
    const std::vector<TBezier> shortOnly = TBezierHelper::SplitChain(chain, 10);
    ASSERT_EQ(shortOnly.size(), 1u);
    EXPECT_EQ(x(shortOnly[0]), (std::vector<int32_t>{0, 2, 5, 7})); // Round(1.75), Round(5.25)
}

TEST(BezierHelperTest, SplitCoversTheRasterizedCurve)
{
    TBezierHelper h;
    const TBezier curve{{0, 0}, {40, 10}, {80, -10}, {120, 0}};
    h.Split(curve, 30);
    const int32_t n = static_cast<int32_t>(h.Points().size()) - 1;
    ASSERT_EQ(h.Count(), n / 30 + (n % 30 > 0 ? 1 : 0));
    EXPECT_EQ(h.GetBezier(0).P0, curve.P0);
    EXPECT_EQ(h.GetBezier(h.Count() - 1).P3, curve.P3);
    for (int32_t i = 1; i < h.Count(); ++i) EXPECT_EQ(h.GetBezier(i).P0, h.GetBezier(i - 1).P3);
}

TEST(BezierHelperTest, BadStepAndIndexRaise)
{
    TBezierHelper h;
    const TBezier curve{{0, 0}, {4, 0}, {8, 0}, {12, 0}};
    EXPECT_THROW(h.Split(curve, 0), EngineError);
    EXPECT_THROW(h.Split(curve, -3), EngineError);
    EXPECT_TRUE(h.Points().empty()); // a refused split leaves nothing behind
    h.Split(curve, 100000);
    EXPECT_EQ(h.Count(), 1);
    EXPECT_THROW(h.GetBezier(1), EngineError);
    EXPECT_THROW(h.GetBezier(-1), EngineError);
}
