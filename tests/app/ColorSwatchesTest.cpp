// The colour panel's swatch ring without widgets: round-robin picks, the run
// of filled swatches, Reset and the index errors.
#include "app/windows/ColorSwatches.h"

#include "gfx/Errors.h"

#include <gtest/gtest.h>

namespace {

TColor32 Pick(int n) { return Color32(uint8_t(n * 20), uint8_t(100 + n), uint8_t(255 - n)); }

void ExpectIndexError(const std::function<void()>& call)
{
    try {
        call();
        ADD_FAILURE() << "no index error";
    } catch (const EngineError& e) {
        EXPECT_STREQ(e.what(), "Index out of bounds");
    }
}

} // namespace

TEST(ColorSwatches, TheEleventhPickReplacesTheOldest)
{
    TColorSwatches swatches;
    for (int n = 1; n <= 11; ++n) {
        swatches.Pick(Pick(n));
        EXPECT_EQ(swatches.SwatchCount(), std::min(n, 10)) << "after pick " << n;
    }
    EXPECT_EQ(swatches.GetSwatchColor(0), Pick(11));
    for (int i = 1; i < 10; ++i) EXPECT_EQ(swatches.GetSwatchColor(i), Pick(i + 1)) << "swatch " << i;
    EXPECT_EQ(swatches.NextSwatch(), 1);
}

TEST(ColorSwatches, CountIsTheLastFilledSwatchPlusOne)
{
    TColorSwatches swatches;
    EXPECT_EQ(swatches.SwatchCount(), 0);
    swatches.SetSwatchColor(3, clRed32);
    EXPECT_EQ(swatches.SwatchCount(), 4);
    EXPECT_FALSE(swatches.IsFilled(2));
    swatches.SetSwatchColor(9, clBlue32);
    EXPECT_EQ(swatches.SwatchCount(), 10);
    // Setting a swatch directly does not move the picks on.
    EXPECT_EQ(swatches.NextSwatch(), 0);
}

TEST(ColorSwatches, ResetEmptiesEverySwatchAndRestartsAtZero)
{
    TColorSwatches swatches;
    for (int n = 1; n <= 3; ++n) swatches.Pick(Pick(n));
    swatches.Reset();
    EXPECT_EQ(swatches.SwatchCount(), 0);
    EXPECT_EQ(swatches.NextSwatch(), 0);
    for (int i = 0; i < TColorSwatches::Count; ++i) EXPECT_FALSE(swatches.IsFilled(i));
    swatches.Pick(clGreen32);
    EXPECT_EQ(swatches.GetSwatchColor(0), clGreen32);
}

TEST(ColorSwatches, SwatchesHoldOpaqueColours)
{
    TColorSwatches swatches;
    swatches.SetSwatchColor(0, 0x00123456u);
    EXPECT_EQ(swatches.GetSwatchColor(0), 0xFF123456u);
}

TEST(ColorSwatches, IndexErrors)
{
    TColorSwatches swatches;
    swatches.Pick(clRed32);
    ExpectIndexError([&] { swatches.SetSwatchColor(-1, clRed32); });
    ExpectIndexError([&] { swatches.SetSwatchColor(10, clRed32); });
    ExpectIndexError([&] { swatches.GetSwatchColor(10); });
    ExpectIndexError([&] { swatches.GetSwatchColor(-1); });
    // An empty swatch inside the range has no colour to read.
    ExpectIndexError([&] { swatches.GetSwatchColor(1); });
    EXPECT_FALSE(swatches.IsFilled(-1));
    EXPECT_FALSE(swatches.IsFilled(10));
    EXPECT_EQ(swatches.SwatchCount(), 1);
}
