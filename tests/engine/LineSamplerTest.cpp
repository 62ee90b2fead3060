#include "engine/LineSampler.h"

#include "engine/FeatureExtractor.h"
#include "gfx/ColorHSL.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

// A feature-map pixel: direction, darkness, hue and saturation, strength
// and edge mark, laid out as the extractor writes them.
TColor32 FeaturePixel(uint8_t dir, uint8_t darkness, uint8_t hueSat, uint8_t strength, bool edge = false)
{
    return (TColor32(dir) << 24) | (TColor32(darkness) << 16) | (TColor32(hueSat) << 8) |
           TColor32(strength | (edge ? 128 : 0));
}

// Pure red (hue 0, saturation 7) at darkness 128 rebuilds as (254, 0, 0).
const TColor32 RedPixel = FeaturePixel(0, 128, 7, 40);
constexpr TColor32 RebuiltRed = 0xFFFE0000u;

// A seed whose next Random(1000) is above 500, so the sampler reverses.
uint32_t ReversingSeed()
{
    for (uint32_t s = 0;; ++s) {
        RandSeed = s;
        if (Random(1000) > 500) return s;
    }
}

std::unique_ptr<TLineSampler> NewSampler(const TBitmap32& feat, bool reverse = false)
{
    RandSeed = reverse ? ReversingSeed() : 0;
    auto s = std::make_unique<TLineSampler>(&feat, &feat);
    EXPECT_EQ(s->Reverse(), reverse);
    return s;
}

// Restores the process-wide guide threshold at the end of a test.
struct GuideThresholdGuard {
    int32_t saved = GuideThreshold;
    ~GuideThresholdGuard() { GuideThreshold = saved; }
};

void ExpectError(const TBitmap32* feat, const TBitmap32* dest, const char* text)
{
    try {
        TLineSampler s(feat, dest);
        ADD_FAILURE() << "no error for " << text;
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), text);
    }
}

} // namespace

TEST(LineSamplerCreateTest, BadBitmapsRaiseInOrder)
{
    TBitmap32 ok(10, 10), noWidth(0, 10), noHeight(10, 0);
    const uint32_t seed = RandSeed = 77;
    ExpectError(nullptr, nullptr, "Invalid Bitmap Feat");
    ExpectError(&ok, nullptr, "Invalid Bitmap Dst");
    ExpectError(&noWidth, &ok, "Feat->Width != Dest->Width");
    ExpectError(&ok, &noWidth, "Feat->Width != Dest->Width");
    ExpectError(&noHeight, &ok, "Feat->Height != Dest->Height");
    EXPECT_EQ(RandSeed, seed); // no draw for a sampler that was never made
    TBitmap32 map(256, 128), preview(235, 116);
    EXPECT_NO_THROW(TLineSampler(&map, &preview));
}

TEST(LineSamplerCreateTest, DefaultsAndTheReverseDraw)
{
    TBitmap32 map(101, 60);
    RandSeed = 1234;
    TLineSampler s(&map, &map);
    RandSeed = 1234;
    const bool expectedReverse = Random(1000) > 500;
    const uint32_t afterOneDraw = RandSeed;
    RandSeed = 1234;
    TLineSampler again(&map, &map);
    EXPECT_EQ(RandSeed, afterOneDraw); // exactly one draw, at creation
    EXPECT_EQ(s.Reverse(), expectedReverse);
    EXPECT_EQ(s.Start(), (TPoint{50, 30}));
    EXPECT_EQ(s.Length(), 50);
    EXPECT_EQ(s.PolyStep(), 20);
    EXPECT_EQ(s.ScanWidth(), 10.0f);
    EXPECT_EQ(s.Scale(), 2.0f);
    EXPECT_EQ(s.WidthFactor(), float(16.0 / 765.0));
    EXPECT_TRUE(s.StopAtEdges);
    EXPECT_EQ(s.Threshold(), 0);
    EXPECT_FALSE(s.HasDirectionEvent());
    EXPECT_EQ(s.GetBounds(), (TRect{2147483647 - 5, 2147483647 - 5, -2147483647 - 1 + 5, -2147483647 - 1 + 5}));
}

class StraightCurveTest : public ::testing::Test {
protected:
    TBitmap32 map{100, 100, RedPixel};
    std::unique_ptr<TLineSampler> s = NewSampler(map);

    void Configure(float scanWidth = 2.0f, int32_t polyStep = 20)
    {
        s->SetScale(1.0f);
        s->SetPolyStep(polyStep);
        s->SetStart({50, 50});
        s->SetGain(12.0f);
        s->SetScanWidth(scanWidth);
        s->SetBezier({0, 0}, {13, 0}, {27, 0}, {40, 0});
    }
};

TEST_F(StraightCurveTest, OutlineBesideEveryTwentiethSample)
{
    Configure();
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Length(), 40);
    EXPECT_EQ(s->Path().Samples().size(), 79u);
    EXPECT_EQ(s->Color(), RebuiltRed);
    ASSERT_EQ(s->Left().size(), 4u);
    ASSERT_EQ(s->Right().size(), 4u);
    const double halfWidth = std::pow(8.0, 1.3) / 3.0; // Gain 12: 4.98
    for (int k = 0; k < 4; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(s->Left()[k].X, (50 + 10 * k) * FixedOne);
        EXPECT_EQ(s->Right()[k].X, (50 + 10 * k) * FixedOne);
        // Left lies on the side of increasing angle: below a path toward +X.
        EXPECT_NEAR(s->Left()[k].Y, (50 + halfWidth) * 65536.0, 2.0);
        EXPECT_NEAR(s->Right()[k].Y, (50 - halfWidth) * 65536.0, 2.0);
    }
    // Touched: rows 49..51 of the two copies, outline rows 45 and 55, and
    // columns 50 to 89; grown by 5.
    EXPECT_EQ(s->GetBounds(), (TRect{45, 40, 94, 60}));
}

TEST_F(StraightCurveTest, ScaleMovesTheOutlineButNotTheScan)
{
    Configure();
    s->SetScale(0.5f);
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Left()[1].X, 30 * FixedOne);
    EXPECT_EQ(s->Count(), 2 * 79);
}

TEST_F(StraightCurveTest, FixedPointsRoundTheUnroundedScaledCoordinate)
{
    // A style preview scales by 235 / 256. The outline point below the path
    // at Y = 64.976173 scales to 59.645659..., 3908966.59 in 16.16; rounded to
    // single first it would be 3908966.5 and round to even, one unit short.
    Configure();
    s->SetScale(235.0f / 256.0f);
    s->SetStart({50, 60});
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Left()[0].X, 3008000); // 50 * 235 / 256 exactly
    EXPECT_EQ(s->Left()[0].Y, 3908967);
    EXPECT_EQ(s->Right()[0].Y, 3310233);
}

TEST_F(StraightCurveTest, PolyStepIsKeptBetweenTwoAndThePathLength)
{
    Configure(2.0f, 1); // as 2: 39 groups of two samples
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->PolyStep(), 2);
    EXPECT_EQ(s->Left().size(), 39u);

    auto t = NewSampler(map);
    s.swap(t);
    Configure(2.0f, 100); // as 39, one less than the 40 steps: 78 = 2 * 39
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->PolyStep(), 39);
    EXPECT_EQ(s->Left().size(), 2u);
}

TEST_F(StraightCurveTest, ScanWidthSetsTheNumberOfCopies)
{
    for (const auto& [width, copies] : {std::pair{2.0f, 2}, std::pair{0.5f, 1}, std::pair{10.0f, 10}}) {
        auto fresh = NewSampler(map);
        s.swap(fresh);
        Configure(width);
        ASSERT_TRUE(s->Sample());
        EXPECT_EQ(s->Count(), 79 * copies) << width;
    }
}

TEST_F(StraightCurveTest, SecondCopyLiesOnTheQuarterTurnBelow)
{
    // Weak rows below the path end any copy there at its first pixel; the
    // second copy of a path toward +X goes one row down (StepDirs[0] - 64).
    map.FillRect(0, 51, 100, 100, FeaturePixel(0, 128, 7, 0));
    Configure(2.0f);
    s->SetThreshold(1);
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Count(), 79);
    // Threshold 0 never ends a copy for weakness.
    auto fresh = NewSampler(map);
    s.swap(fresh);
    Configure(2.0f);
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Count(), 2 * 79);
}

TEST_F(StraightCurveTest, EdgeMarksStopOnlyWhenAsked)
{
    map.Pixel(50, 50) = FeaturePixel(0, 128, 7, 40, true);
    Configure(1.0f);
    EXPECT_FALSE(s->Sample());
    EXPECT_EQ(s->Count(), 0);
    EXPECT_TRUE(s->Left().empty());

    auto fresh = NewSampler(map);
    s.swap(fresh);
    Configure(1.0f);
    s->StopAtEdges = false;
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Count(), 79);
}

TEST_F(StraightCurveTest, EdgeStopCountsTheStoppingPixelInBounds)
{
    map.Pixel(60, 50) = FeaturePixel(0, 128, 7, 40, true);
    Configure(1.0f);
    s->SetScale(0.0f); // outline points all at (0, 0): only the scan counts
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Count(), 20); // (0, 0), two pixels for each of X = 1..9, then (10, -1)
    // (60, 49) is summed, (60, 50) ends the copy; bounds also hold (0, 0).
    EXPECT_EQ(s->GetBounds(), (TRect{0, 0, 65, 55}));
}

TEST_F(StraightCurveTest, ThresholdAboveTheStrengthGivesNoStroke)
{
    Configure(1.0f);
    s->SetThreshold(41);
    EXPECT_FALSE(s->Sample());
    auto fresh = NewSampler(map);
    s.swap(fresh);
    Configure(1.0f);
    s->SetThreshold(40);
    EXPECT_TRUE(s->Sample());
}

TEST_F(StraightCurveTest, MeanColourAveragesTheRebuiltColours)
{
    // Left half grey at darkness 55 (200 back), right half pure red.
    map.FillRect(0, 0, 70, 100, FeaturePixel(0, 55, 0, 40));
    Configure(1.0f);
    ASSERT_TRUE(s->Sample());
    // 39 samples at X < 70 (grey), 40 at X >= 70 (red).
    EXPECT_EQ(s->Color(), Color32((39 * 200 + 40 * 254) / 79, 39 * 200 / 79, 39 * 200 / 79));
}

TEST(LineSamplerBoundsTest, ClippedToTheMapAtItsCorners)
{
    TBitmap32 map(100, 80, RedPixel);
    auto s = NewSampler(map);
    s->SetScale(1.0f);
    s->SetScanWidth(1.0f);
    s->SetStart({1, 1});
    s->SetBezier({0, 0}, {1, 0}, {2, 0}, {3, 0});
    ASSERT_TRUE(s->Sample());
    const TRect r = s->GetBounds();
    EXPECT_EQ(r.Left, 0);
    EXPECT_EQ(r.Top, 0);

    auto t = NewSampler(map);
    t->SetScale(1.0f);
    t->SetScanWidth(1.0f);
    t->SetStart({97, 78});
    t->SetBezier({0, 0}, {1, 0}, {2, 0}, {3, 0});
    ASSERT_TRUE(t->Sample());
    EXPECT_EQ(t->GetBounds().Right, 100);
    EXPECT_EQ(t->GetBounds().Bottom, 80);
}

class DirectionSourceTest : public ::testing::Test {
protected:
    GuideThresholdGuard guard;
    TBitmap32 map{200, 200, FeaturePixel(0, 128, 7, 0)}; // strength 0: the guide decides
    std::vector<TPoint> asked;
    TByteDirection answer = 0;

    std::unique_ptr<TLineSampler> Sampler(int32_t length, bool reverse = false)
    {
        auto s = NewSampler(map, reverse);
        s->SetScale(1.0f);
        s->SetPolyStep(12);
        s->SetStart({100, 100});
        s->SetLength(length);
        s->SetScanWidth(2.0f);
        s->SetOnGetDirection([this](int32_t x, int32_t y, TByteDirection& d) {
            asked.push_back({x, y});
            d = answer;
        });
        return s;
    }
};

TEST_F(DirectionSourceTest, ShortPathReadsAtSteps0And20Only)
{
    answer = 64;
    auto s = Sampler(29);
    ASSERT_TRUE(s->Sample());
    // Step 20 is read 20 pixels up from the start.
    EXPECT_EQ(asked, (std::vector<TPoint>{{100, 100}, {100, 80}}));
    EXPECT_TRUE(s->HasDirectionEvent());
    EXPECT_EQ(s->Length(), 29);
    EXPECT_EQ(s->Path().StepDirs(), std::vector<TByteDirection>(29, 0));
    EXPECT_EQ(s->Path().Samples().back().Y, -28);
}

TEST_F(DirectionSourceTest, LongPathIsFittedAndTheCallbackDropped)
{
    answer = 64;
    auto s = Sampler(30);
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(asked, (std::vector<TPoint>{{100, 100}, {100, 80}}));
    EXPECT_FALSE(s->HasDirectionEvent());
    // The fitted curve runs from (0, 0) to (0, -29): 29 steps straight up.
    EXPECT_EQ(s->Length(), 29);
    EXPECT_EQ(s->Path().StepDirs(), std::vector<TByteDirection>(29, 63));
}

TEST_F(DirectionSourceTest, StrongMapPixelsSteerWithoutTheCallback)
{
    map.Clear(FeaturePixel(192, 128, 7, 10)); // down, twice 10 >= 1
    auto s = Sampler(10);
    ASSERT_TRUE(s->Sample());
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(s->Path().Samples().back().Y, 9);

    GuideThreshold = 255; // as the style previews set it: every read asks
    auto t = Sampler(10);
    ASSERT_TRUE(t->Sample());
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(t->Path().Samples().back().X, 9);
}

TEST_F(DirectionSourceTest, ReverseTurnsTheMapsDirections)
{
    map.Clear(FeaturePixel(192, 128, 7, 10)); // down
    auto s = Sampler(10, true);
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(s->Path().Samples().back().Y, -9); // up
}

TEST_F(DirectionSourceTest, FirstDirectionNearlyOppositeIsTurnedBack)
{
    for (int dir : {124, 128, 132}) {
        map.Clear(FeaturePixel(dir, 128, 7, 10));
        auto s = Sampler(10);
        ASSERT_TRUE(s->Sample());
        EXPECT_GT(s->Path().Samples().back().X, 0) << dir; // toward +X, not -X
    }
    map.Clear(FeaturePixel(123, 128, 7, 10));
    auto s = Sampler(10);
    ASSERT_TRUE(s->Sample());
    EXPECT_LT(s->Path().Samples().back().X, 0);
    // A reversed 0 would be 128, and is turned back to 0.
    map.Clear(FeaturePixel(0, 128, 7, 10));
    auto r = Sampler(10, true);
    ASSERT_TRUE(r->Sample());
    EXPECT_EQ(r->Path().Samples().back().X, 9);
}

TEST_F(DirectionSourceTest, StartOutsideTheMapKeepsDirectionZero)
{
    answer = 64;
    auto s = Sampler(25);
    s->SetStart({-50, 10});
    EXPECT_FALSE(s->Sample()); // every copy starts off the map
    EXPECT_TRUE(asked.empty());
    EXPECT_EQ(s->Path().Samples().back().X, 24);
    EXPECT_TRUE(s->GetBounds().IsEmpty());
}

TEST_F(DirectionSourceTest, OffTheMapTheWalkKeepsItsDirection)
{
    answer = 192; // reversed: up
    auto s = Sampler(29, true);
    s->SetStart({100, 10}); // step 20 reads at (100, -10), off the map
    ASSERT_TRUE(s->Sample());
    EXPECT_EQ(asked.size(), 1u);
    EXPECT_EQ(s->Path().Samples().back().Y, -28);
}

TEST(LineSamplerEmptyTest, NoStepsGiveNoStroke)
{
    TBitmap32 map(50, 50, RedPixel);
    for (int32_t length : {0, -7}) {
        auto s = NewSampler(map);
        s->SetLength(length);
        EXPECT_FALSE(s->Sample()) << length;
        auto c = NewSampler(map);
        c->SetLength(length);
        c->SetOnGetDirection([](int32_t, int32_t, TByteDirection&) {});
        EXPECT_FALSE(c->Sample()) << length;
    }
    auto s = NewSampler(map);
    s->SetBezier({9, 9}, {9, 9}, {9, 9}, {9, 9});
    EXPECT_EQ(s->Length(), 0);
    EXPECT_FALSE(s->Sample());
    // One step: one sample, colour but no outline.
    auto one = NewSampler(map);
    one->SetLength(1);
    EXPECT_FALSE(one->Sample());
    EXPECT_EQ(one->Count(), 10);
}

TEST(LineSamplerFaultTest, AbsurdStyleValuesGiveNoStroke)
{
    TBitmap32 map(100, 100, RedPixel);
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const auto traced = [&](float gain, float scanWidth, float scale) {
        auto s = NewSampler(map);
        s->SetScale(scale);
        s->SetGain(gain);
        s->SetScanWidth(scanWidth);
        s->SetBezier({0, 0}, {13, 0}, {27, 0}, {40, 0});
        const bool ok = s->Sample();
        EXPECT_EQ(ok, !s->Left().empty());
        return ok;
    };
    EXPECT_TRUE(traced(12.0f, 2.0f, 1.0f));
    EXPECT_TRUE(traced(0.0f, 2.0f, 1.0f)); // a zero-width stroke is still one
    EXPECT_FALSE(traced(nan, 2.0f, 1.0f));
    EXPECT_FALSE(traced(-12.0f, 2.0f, 1.0f));
    EXPECT_FALSE(traced(inf, 2.0f, 1.0f));
    EXPECT_FALSE(traced(12.0f, nan, 1.0f));
    EXPECT_FALSE(traced(12.0f, inf, 1.0f));
    EXPECT_FALSE(traced(12.0f, 1e10f, 1.0f));
    EXPECT_FALSE(traced(12.0f, 2.0f, nan));
    EXPECT_FALSE(traced(12.0f, 2.0f, 1e5f)); // 50 * 1e5 pixels is beyond 16.16
    EXPECT_TRUE(traced(12.0f, 2.0f, 300.0f));
}

TEST(LineSamplerColourTest, RebuiltColourFollowsTheMapsLightnessHueAndSaturation)
{
    // Every darkness with a spread of hue-saturation bytes: the mean of one
    // uniform pixel is that pixel's colour through single-precision H, S, L.
    TBitmap32 map(8, 8);
    for (int red = 0; red < 256; red += 3) {
        for (int green = 0; green < 256; green += 5) {
            const TColor32 p = FeaturePixel(0, uint8_t(red), uint8_t(green), 40);
            map.Clear(p);
            auto s = NewSampler(map);
            s->SetStart({2, 2});
            s->SetScanWidth(0.5f);
            s->SetBezier({0, 0}, {1, 0}, {2, 0}, {3, 0});
            ASSERT_TRUE(s->Sample());
            const TColor32 expected = HSLToRGB(Single(FeatureHue(p)), Single(FeatureSaturation(p)),
                                               Single(FeatureLightness(p)));
            ASSERT_EQ(s->Color(), expected) << red << "," << green;
        }
    }
}
