#include "engine/CentrePath.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<TPoint> Pixels(const TCentrePath& path)
{
    std::vector<TPoint> pts;
    for (const TLineSample& s : path.Samples()) pts.push_back({s.X, s.Y});
    return pts;
}

} // namespace

TEST(CentrePathTest, StraightCurveFlattensToOneStepPerPixel)
{
    TCentrePath path;
    path.SetBezier({0, 0}, {13, 0}, {27, 0}, {40, 0});
    EXPECT_EQ(path.StepDirs(), std::vector<TByteDirection>(40, 0));
    // Only differences count: the same curve elsewhere gives the same steps.
    TCentrePath moved;
    moved.SetBezier({500, -20}, {513, -20}, {527, -20}, {540, -20});
    EXPECT_EQ(moved.StepDirs(), path.StepDirs());
}

TEST(CentrePathTest, WalkRecordsTheTwoPixelTrailOnce)
{
    TCentrePath path;
    path.SetBezier({0, 0}, {13, 0}, {27, 0}, {40, 0});
    path.Walk();
    std::vector<TPoint> expected{{0, 0}};
    for (int32_t i = 1; i <= 39; ++i) {
        expected.push_back({i, -1});
        expected.push_back({i, 0});
    }
    EXPECT_EQ(Pixels(path), expected);
    EXPECT_EQ(path.Samples()[20].FX, 10.0f);
    EXPECT_EQ(path.Samples()[20].FY, 0.0f);
}

TEST(CentrePathTest, SegmentsAreWalkedInTheirOwnDirections)
{
    TCentrePath path;
    path.AddPoint({0, 0});
    path.AddPoint({3, 0});
    path.AddPoint({3, -2});
    path.AddPoint({3, -2}); // no length, no steps
    EXPECT_EQ(path.StepDirs(), (std::vector<TByteDirection>{0, 0, 0, 63, 63}));
    path.Walk();
    // The turn's pixel (3, -1) was already the side pixel of the last step
    // right; the first step up leans right, toward (4, -1).
    EXPECT_EQ(Pixels(path).back(), (TPoint{4, -1}));
    EXPECT_EQ(path.Samples().size(), 8u);
}

TEST(CentrePathTest, CurvePointAtMinusOneRestartsTheChain)
{
    // (-1, -1) stands for "no point yet": a chain that reaches it starts
    // again there, and the segment after it has no steps.
    struct Case {
        std::vector<TPoint> points;
        std::vector<TByteDirection> steps;
    };
    const Case cases[] = {
        {{{-4, -1}, {-1, -1}, {2, -1}}, {0, 0, 0}},
        {{{-1, -1}, {-1, 3}}, {}},
        {{{2, -1}, {-1, -1}, {-1, 5}, {3, 5}}, {128, 128, 128, 0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        TCentrePath path;
        path.Clear();
        for (const TPoint& p : c.points) path.AddPoint(p);
        EXPECT_EQ(path.StepDirs(), c.steps) << c.points.size();
    }
}

TEST(CentrePathTest, TracedCurveThroughMinusOneLosesItsFirstPiece)
{
    // A stroke that leaves its start up and to the left passes (-1, -1):
    // the first piece ends there and is walked for nothing.
    TCentrePath path;
    path.SetBezier({0, 0}, {-7, -5}, {-11, -14}, {-11, -26});
    ASSERT_EQ(path.Length(), 35);
    std::vector<TByteDirection> first(path.StepDirs().begin(), path.StepDirs().begin() + 9);
    EXPECT_EQ(first, (std::vector<TByteDirection>{95, 95, 95, 95, 95, 95, 95, 95, 63}));
}

TEST(CentrePathTest, ClearAndSetLength)
{
    TCentrePath path;
    path.SetLength(5);
    EXPECT_EQ(path.StepDirs(), std::vector<TByteDirection>(5, 0));
    path.SetLength(-3);
    EXPECT_TRUE(path.Empty());
    path.AddPoint({0, 0});
    path.Clear();
    path.AddPoint({10, 10}); // the chain restarts: no steps from (0, 0)
    EXPECT_EQ(path.Length(), 0);
    path.Walk();
    EXPECT_TRUE(path.Samples().empty());
}

TEST(CentrePathTest, SteeredWalkIsAskedBeforeEveryStep)
{
    TCentrePath path;
    path.SetLength(4);
    std::vector<int32_t> asked;
    path.Walk([&](int32_t i, TTurtle& t) {
        asked.push_back(i);
        t.Direction = 192;
    });
    EXPECT_EQ(asked, (std::vector<int32_t>{0, 1, 2, 3}));
    EXPECT_EQ(Pixels(path), (std::vector<TPoint>{{0, 0}, {1, 1}, {0, 1}, {1, 2}, {0, 2}, {1, 3}, {0, 3}}));
}

TEST(CentrePathLimits, AbsurdLengthsLeaveNoPath)
{
    // A crafted style or pattern must not make one stroke allocate gigabytes.
    TCentrePath path;
    path.SetLength(TCentrePath::MaxLength);
    EXPECT_EQ(path.Length(), TCentrePath::MaxLength);
    path.SetLength(TCentrePath::MaxLength + 1);
    EXPECT_TRUE(path.Empty());
    path.SetBezier(Point(0, 0), Point(2000000000, 0), Point(2000000000, 2000000000), Point(0, 2000000000));
    EXPECT_TRUE(path.Empty());
    // A later, sensible curve is traced again.
    path.SetBezier(Point(0, 0), Point(10, 0), Point(20, 0), Point(30, 0));
    EXPECT_EQ(path.Length(), 30);
}
