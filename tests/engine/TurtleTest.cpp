#include "engine/Turtle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

std::vector<TPoint> Walk(TTurtle& t, int steps)
{
    std::vector<TPoint> visited;
    for (int i = 0; i < steps; ++i) {
        t.Step();
        visited.push_back(t.GetPosition());
    }
    return visited;
}

TPoint WalkBetween(const TPoint& a, const TPoint& b)
{
    TTurtle t(a, DirectionBetween(a, b));
    const int steps = std::abs(b.X - a.X) + std::abs(b.Y - a.Y);
    for (int i = 0; i < steps; ++i) t.Step();
    return t.GetPosition();
}

} // namespace

TEST(TurtleTest, FreshTurtleSitsExactlyOnItsPixel)
{
    TTurtle t({7, -3}, 77);
    EXPECT_EQ(t.Direction, 77);
    EXPECT_EQ(t.GetSubPixel(), (TSinglePoint{7.0f, -3.0f}));
    EXPECT_EQ(t.MainWeight(), 255);
    EXPECT_EQ(t.SideWeight(), 0);
    EXPECT_EQ(t.MainPixel(), (TPoint{7, -3}));
    EXPECT_EQ(t.SidePixel(), (TPoint{7, -3}));
}

TEST(TurtleTest, AxisDirectionsWalkStraightWithAFixedSidePixel)
{
    struct Case {
        TByteDirection dir;
        TPoint move, side;
    };
    for (const Case& c : {Case{0, {1, 0}, {0, -1}}, Case{64, {0, -1}, {-1, 0}}, Case{128, {-1, 0}, {0, 1}},
                          Case{192, {0, 1}, {1, 0}}}) {
        SCOPED_TRACE(int(c.dir));
        TTurtle t({0, 0}, c.dir);
        for (int i = 1; i <= 5; ++i) {
            t.Step();
            EXPECT_EQ(t.GetPosition(), (TPoint{c.move.X * i, c.move.Y * i}));
            EXPECT_EQ(t.Accumulator(), 0);
            EXPECT_EQ(t.MainWeight(), 255);
            EXPECT_EQ(t.SidePixel(), (TPoint{c.move.X * i + c.side.X, c.move.Y * i + c.side.Y}));
        }
    }
}

TEST(TurtleTest, DiagonalWalksAStaircase)
{
    TTurtle t({0, 0}, 32);
    EXPECT_EQ(Walk(t, 6), (std::vector<TPoint>{{0, -1}, {1, -1}, {1, -2}, {2, -2}, {2, -3}, {3, -3}}));
    TTurtle down({0, 0}, 224); // right and down
    EXPECT_EQ(Walk(down, 4), (std::vector<TPoint>{{1, 0}, {1, 1}, {2, 1}, {2, 2}}));
}

TEST(TurtleTest, SteepDirectionMakesOneSideStepPerTenUpSteps)
{
    TTurtle t({0, 0}, 70);
    const std::vector<TPoint> path = Walk(t, 64);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(path[i], (TPoint{0, -(i + 1)}));
    EXPECT_EQ(path[5], (TPoint{-1, -5}));
    // Slope 6 / 58 to the axis: 6 side steps for 58 up-steps.
    EXPECT_EQ(path.back(), (TPoint{-6, -58}));
}

TEST(TurtleTest, WeightsSplitTheSubPixelBetweenMainAndSidePixel)
{
    TTurtle t({0, 0}, 70);
    t.Step(); // accumulator 6: weights 24 (main) and 231 swap to 231 / 24
    EXPECT_EQ(t.Accumulator(), 6);
    EXPECT_EQ(t.Remainder(), 6);
    EXPECT_EQ(t.MainWeight(), 231);
    EXPECT_EQ(t.SideWeight(), 24);
    EXPECT_EQ(t.MainPixel(), (TPoint{0, -1}));
    EXPECT_EQ(t.SidePixel(), (TPoint{-1, -1})); // heading 70 leans left
    EXPECT_EQ(t.GetSubPixel(), (TSinglePoint{float(-24 / 255.0), -1.0f}));
}

TEST(TurtleTest, WritingDirectionKeepsTheAccumulatorSetDirectionClearsIt)
{
    TTurtle kept({0, 0}, 70), cleared({0, 0}, 70);
    Walk(kept, 5);
    Walk(cleared, 5);
    EXPECT_EQ(kept.Accumulator(), 30);
    kept.Direction = 70;
    cleared.SetDirection(70);
    EXPECT_EQ(cleared.Accumulator(), 0);
    kept.Step();
    cleared.Step();
    EXPECT_EQ(kept.GetPosition(), (TPoint{-1, -5}));   // sideways
    EXPECT_EQ(cleared.GetPosition(), (TPoint{0, -6})); // up again
}

TEST(TurtleTest, SetPositionRestartsTheWalk)
{
    TTurtle t({0, 0}, 70);
    Walk(t, 3);
    t.SetPosition({10, 10});
    EXPECT_EQ(t.Accumulator(), 0);
    EXPECT_EQ(t.GetSubPixel(), (TSinglePoint{10.0f, 10.0f}));
    EXPECT_EQ(t.Direction, 70);
}

TEST(DirectionBetweenTest, WorkedValues)
{
    struct Case {
        TPoint b;
        int expected;
    };
    for (const Case& c : {Case{{1, 0}, 0}, Case{{0, -1}, 63}, Case{{-1, 0}, 128}, Case{{0, 1}, 192},
                          Case{{1, -1}, 31}, Case{{-1, -1}, 95}, Case{{10, -3}, 14}, Case{{3, -10}, 49},
                          Case{{0, 0}, 0}}) {
        SCOPED_TRACE(testing::Message() << c.b.X << "," << c.b.Y);
        EXPECT_EQ(DirectionBetween({0, 0}, c.b), c.expected);
        // Only the difference counts.
        EXPECT_EQ(DirectionBetween({-50, 90}, {c.b.X - 50, c.b.Y + 90}), c.expected);
    }
}

TEST(DirectionBetweenTest, SignOfZeroMakesStraightLeft128)
{
    EXPECT_EQ(AngleToByte(-1.0f, 0.0f), 128);
    EXPECT_EQ(AngleToByte(-1000.0f, 0.0f), 128);
    EXPECT_EQ(AngleToByte(1.0f, 0.0f), 0);
}

TEST(DirectionBetweenTest, SteepEndsOfTheCorrectionTable)
{
    EXPECT_FLOAT_EQ(TurtleCorrection(0), 1.0f);
    EXPECT_FLOAT_EQ(TurtleCorrection(156), 1.480f);
    EXPECT_FLOAT_EQ(TurtleCorrection(157), 0.839f);
    EXPECT_FLOAT_EQ(TurtleCorrection(-156), 1.463f);
    EXPECT_FLOAT_EQ(TurtleCorrection(-157), 1.463f); // clamped, not one before the table
    EXPECT_FLOAT_EQ(TurtleCorrection(1000), 0.839f);
    // 172 takes entry 312 (1.480), 173 the low last entry (0.839); both are
    // straight down.
    EXPECT_EQ(DirectionBetween({0, 0}, {1, 172}), 192);
    EXPECT_EQ(DirectionBetween({0, 0}, {1, 173}), 192);
    EXPECT_EQ(DirectionBetween({0, 0}, {1, 100000}), 192);
    // Slopes of -173 and beyond index before the table; they stay near vertical.
    EXPECT_EQ(DirectionBetween({0, 0}, {1, -173}), 63);
    EXPECT_NEAR(DirectionBetween({0, 0}, {-1, 173}), 192, 1);
    EXPECT_NEAR(DirectionBetween({0, 0}, {1, -100000}), 63, 1);
}

TEST(DirectionBetweenTest, WalkingTheDirectionEndsOnOrBesideTheTarget)
{
    int exact = 0, total = 0;
    for (int dx = -40; dx <= 40; ++dx) {
        for (int dy = -40; dy <= 40; ++dy) {
            const TPoint end = WalkBetween({0, 0}, {dx, dy});
            const int ex = std::abs(end.X - dx), ey = std::abs(end.Y - dy);
            ++total;
            if (ex == 0 && ey == 0) {
                ++exact;
            } else if (dx == -36 && dy == -40) {
                EXPECT_EQ(ex, 2);
                EXPECT_EQ(ey, 2);
            } else {
                EXPECT_TRUE(ex == 1 && ey == 1) << dx << "," << dy << " ends " << end.X << "," << end.Y;
            }
        }
    }
    EXPECT_NEAR(double(exact) / total, 0.75, 0.05);
}

TEST(DirectionBetweenTest, ShortVectorsAgreeWithTheConversion)
{
    // Short vectors are answered from a table built from AngleToByte; the
    // table's edge and just beyond it must agree with the conversion.
    for (int dy = -70; dy <= 70; ++dy)
        for (int dx = -70; dx <= 70; ++dx)
            ASSERT_EQ(DirectionBetween({3, -4}, {3 + dx, -4 + dy}), AngleToByte(float(dx), float(dy)))
                << dx << "," << dy;
}
