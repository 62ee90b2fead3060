// Known answers of the colour arithmetic: HSL both ways and the one-pixel blend.
#include "gfx/Color32.h"
#include "gfx/ColorHSL.h"

#include <gtest/gtest.h>

namespace {

void ExpectBytes(const TRGBBytes& c, int r, int g, int b)
{
    EXPECT_EQ(c.R, r);
    EXPECT_EQ(c.G, g);
    EXPECT_EQ(c.B, b);
}

TEST(ColorHSLTest, PureRedAndBack)
{
    const THSL hsl = RGBToHSL(Color32(255, 0, 0));
    EXPECT_EQ(hsl.H, 0.0f);
    EXPECT_EQ(hsl.S, 1.0f);
    EXPECT_EQ(hsl.L, 0.5f);
    ExpectBytes(HSLToRGBBytes(hsl.H, hsl.S, hsl.L), 255, 0, 0);
}

TEST(ColorHSLTest, MidGreyAndBack)
{
    const THSL hsl = RGBToHSL(Color32(128, 128, 128));
    EXPECT_EQ(hsl.H, 0.0f);
    EXPECT_EQ(hsl.S, 0.0f);
    EXPECT_EQ(hsl.L, static_cast<float>(128 / 255.0));
    ExpectBytes(HSLToRGBBytes(hsl.H, hsl.S, hsl.L), 128, 128, 128);
}

TEST(ColorHSLTest, PrimaryHues)
{
    // Blue: 4 + (R - G) / D = 4, divided by 6; green: 2 / 6.
    EXPECT_EQ(RGBToHSL(Color32(0, 0, 255)).H, static_cast<float>(4.0 / 6.0));
    EXPECT_EQ(RGBToHSL(Color32(0, 255, 0)).H, static_cast<float>(2.0 / 6.0));
    ExpectBytes(HSLToRGBBytes(2.0 / 3.0, 1, 0.5), 0, 0, 255);
    ExpectBytes(HSLToRGBBytes(1.0 / 3.0, 1, 0.5), 0, 255, 0);
    // A hue of 1 wraps round to red.
    ExpectBytes(HSLToRGBBytes(1.0, 1, 0.5), 255, 0, 0);
}

TEST(ColorHSLTest, AlphaIsIgnoredByTheConversionAndSetByHSLToRGB)
{
    const THSL a = RGBToHSL(Color32(10, 200, 30, 0));
    const THSL b = RGBToHSL(Color32(10, 200, 30, 255));
    EXPECT_EQ(a.H, b.H);
    EXPECT_EQ(a.S, b.S);
    EXPECT_EQ(a.L, b.L);
    EXPECT_EQ(HSLToRGB(0, 0, 1, 7), Color32(255, 255, 255, 7));
}

TEST(BlendColorTest, EndsOfTheAlphaRangeKeepTheBackgroundAlpha)
{
    EXPECT_EQ(BlendColor(0x00FFFFFFu, 0x12345678u), 0x12345678u);
    EXPECT_EQ(BlendColor(0xFFABCDEFu, 0x12345678u), 0x12ABCDEFu);
    EXPECT_EQ(BlendColor(0xFFABCDEFu, 0x12345678u, 0), 0x12345678u);
}

TEST(BlendColorTest, HalfwayRoundsEachTermOnItsOwn)
{
    // a = 128: Round(128 * 255 / 255) + Round(127 * 0 / 255) = 128.
    EXPECT_EQ(BlendColor(0x80FFFFFFu, 0xFF000000u), 0xFF808080u);
    // The same through MasterAlpha: Round(255 * 128 / 255) = 128.
    EXPECT_EQ(BlendColor(0xFFFFFFFFu, 0xFF000000u, 128), 0xFF808080u);
    // Black over white at 128: 0 + Round(127 * 255 / 255) = 127.
    EXPECT_EQ(BlendColor(0x80000000u, 0xFFFFFFFFu), 0xFF7F7F7Fu);
    // Both alphas scale: Round(128 * 128 / 255) = 64; 64 * 200 / 255 = 50.2 -> 50, 191 * 100 / 255 = 74.9 -> 75.
    EXPECT_EQ(BlendColor(Color32(200, 0, 0, 128), Color32(100, 0, 0, 9), 128), Color32(125, 0, 0, 9));
}

} // namespace
