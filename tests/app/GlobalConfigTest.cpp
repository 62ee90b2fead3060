#include "app/GlobalConfig.h"

#include "gfx/Bitmap32.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// Mean difference of two columns of a bitmap, over all channels.
double ColumnDistance(const TBitmap32& bmp, int a, int b)
{
    double sum = 0;
    for (int y = 0; y < bmp.Height(); ++y) {
        const TColor32 p = bmp.Pixel(a, y), q = bmp.Pixel(b, y);
        for (int shift : {0, 8, 16}) sum += std::abs(int(p >> shift & 0xFF) - int(q >> shift & 0xFF));
    }
    return sum / bmp.Height();
}

} // namespace

TEST(GlobalConfig, CarriesBothPicturesAsUncompressed24BitBmpFilesOfTheDesignedSizes)
{
    TdmGlobalConfig config;
    struct Case {
        const std::vector<uint8_t>& bytes;
        size_t size;
        uint32_t width, height;
    };
    for (const Case& c : {Case{config.BackgroundBytes(), 48824, 127, 127}, Case{config.SplashBytes(), 440760, 417, 352}}) {
        ASSERT_EQ(c.bytes.size(), c.size);
        EXPECT_EQ(c.bytes[0], 'B');
        EXPECT_EQ(c.bytes[1], 'M');
        EXPECT_EQ(Le32(c.bytes, 2), c.size);
        EXPECT_EQ(Le32(c.bytes, 10), 54u);
        EXPECT_EQ(Le32(c.bytes, 18), c.width);
        EXPECT_EQ(Le32(c.bytes, 22), c.height); // positive: bottom-up
        EXPECT_EQ(c.bytes[28], 24);
        EXPECT_EQ(Le32(c.bytes, 30), 0u); // no compression
    }
}

TEST(GlobalConfig, EveryLoadReadsTheWholePictureAgain)
{
    TdmGlobalConfig config;
    TBitmap32 first, second;
    config.LoadBackground(first);
    config.LoadBackground(second);
    ASSERT_EQ(first.Width(), 127);
    ASSERT_EQ(first.Height(), 127);
    EXPECT_TRUE(std::equal(first.Bits(), first.Bits() + 127 * 127, second.Bits()));
    EXPECT_EQ(first.Pixel(5, 5) >> 24, 0xFFu);

    QImage image;
    config.LoadBackground(image);
    EXPECT_EQ(image.size(), QSize(127, 127));
    EXPECT_EQ(image.pixel(3, 100), first.Pixel(3, 100)); // rows come the right way up

    TBitmap32 splash;
    config.LoadSplash(splash);
    config.LoadSplash(splash);
    EXPECT_EQ(splash.Width(), 417);
    EXPECT_EQ(splash.Height(), 352);
    QImage splashImage;
    config.LoadSplash(splashImage);
    EXPECT_EQ(splashImage.size(), QSize(417, 352));
}

TEST(GlobalConfig, TheTileRepeatsWithoutASeam)
{
    TdmGlobalConfig config;
    TBitmap32 tile;
    config.LoadBackground(tile);
    // Where the tile meets its own copy, the step is no larger than between
    // neighbouring columns inside it.
    double inside = 0;
    for (int x = 0; x + 1 < 127; ++x) inside = std::max(inside, ColumnDistance(tile, x, x + 1));
    EXPECT_LE(ColumnDistance(tile, 126, 0), inside);
    EXPECT_GT(inside, 0.0); // not a flat colour
}

TEST(GlobalConfig, DrawingTheArtworkLeavesTheStrokeGeneratorAlone)
{
    RandSeed = 12345;
    {
        TdmGlobalConfig config;
        EXPECT_EQ(dmGlobalConfig, &config);
    }
    EXPECT_EQ(dmGlobalConfig, nullptr);
    EXPECT_EQ(RandSeed, 12345u);
    RandSeed = 0;
}
