// The feature map of synthetic pictures, byte by byte where the answer is known.
#include "engine/FeatureExtractor.h"

#include "engine/Progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::unique_ptr<TBitmap32> MapOf(const TBitmap32& picture) { return TFeatureExtractor::Run(picture); }

class RecordingProgress : public IProgress {
public:
    std::vector<int> positions;
    int starts = 0, finishes = 0;
    std::string caption;
    void Start(int, int) override
    {
        ++starts;
        caption = WaitText;
    }
    void Step() override {}
    void SetPosition(int p) override { positions.push_back(p); }
    void Finish() override { ++finishes; }
};

} // namespace

TEST(FeatureMap, UniformPicture)
{
    const TColor32 colour = Color32(90, 90, 90);
    TBitmap32 pic(100, 80, colour);
    auto map = MapOf(pic);
    ASSERT_EQ(map->Width(), 100);
    ASSERT_EQ(map->Height(), 80);
    // L = 90/255 exactly enough: darkness 255 - 90.
    EXPECT_EQ(FeatureDarkness(map->Pixel(50, 40)), 165);
    EXPECT_EQ(FeatureHueSat(map->Pixel(50, 40)), 0);
    bool sawInterior = false;
    for (int y = 0; y < 80; ++y) {
        for (int x = 0; x < 100; ++x) {
            const TColor32 p = map->Pixel(x, y);
            EXPECT_EQ(FeatureStrength(p), 0);
            const uint8_t dir = FeatureDirection(p);
            EXPECT_TRUE(dir == 0 || dir == 191) << x << "," << y;
            sawInterior |= dir == 0;
        }
    }
    EXPECT_TRUE(sawInterior);
    // The last row and column are never interpolated.
    EXPECT_EQ(FeatureDirection(map->Pixel(99, 40)), 191);
    EXPECT_EQ(FeatureDirection(map->Pixel(50, 0)), 191); // top row = last array row
    EXPECT_EQ(FeatureDirection(map->Pixel(50, 40)), 0);
    // Darkness 165 >= 32: the border rectangle carries edge marks.
    EXPECT_TRUE(FeatureIsEdge(map->Pixel(1, 40)));
    EXPECT_FALSE(FeatureIsEdge(map->Pixel(50, 40)));
}

TEST(FeatureMap, WhitePictureHasNoEdges)
{
    TBitmap32 pic(64, 48, clWhite32);
    auto map = MapOf(pic);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) {
            EXPECT_FALSE(FeatureIsEdge(map->Pixel(x, y)));
            EXPECT_EQ(FeatureDarkness(map->Pixel(x, y)), 0);
        }
}

TEST(FeatureMap, ColourBytes)
{
    TBitmap32 pic(30, 3, clBlack32);
    pic.Pixel(0, 1) = Color32(128, 128, 128);
    pic.Pixel(1, 1) = Color32(255, 0, 0);
    pic.Pixel(2, 1) = Color32(0, 0, 255);
    pic.Pixel(3, 1) = Color32(0, 0, 5, 0); // alpha of the source plays no part
    auto map = MapOf(pic);
    EXPECT_EQ(FeatureHueSat(map->Pixel(0, 1)), 0);
    EXPECT_EQ(FeatureHueSat(map->Pixel(1, 1)), 7);
    EXPECT_EQ(FeatureHueSat(map->Pixel(2, 1)), 175);
    EXPECT_EQ(FeatureDarkness(map->Pixel(1, 1)), 127); // L = 0.5: 127.5 rounds to 128
    // (0, 0, 5): L is 5/255/2 held in single precision, so L * 255 lies just
    // above 2.5 and rounds to 3; exact arithmetic would give 2.
    EXPECT_EQ(FeatureDarkness(map->Pixel(3, 1)), 252);
}

TEST(FeatureMap, VerticalBoundary)
{
    TBitmap32 pic(128, 96, clWhite32);
    pic.FillRect(0, 0, 64, 96, clBlack32);
    auto map = MapOf(pic);
    for (int y = 24; y < 72; ++y) {
        const TColor32 p = map->Pixel(63, y);
        EXPECT_GT(FeatureStrength(p), 20);
        const uint8_t dir = FeatureDirection(map->Pixel(62, y));
        EXPECT_TRUE(dir == 64 || dir == 191) << int(dir) << " at row " << y;
        bool edgeNear = false;
        for (int x = 61; x <= 65; ++x) edgeNear |= FeatureIsEdge(map->Pixel(x, y));
        EXPECT_TRUE(edgeNear) << y;
    }
    EXPECT_EQ(FeatureStrength(map->Pixel(100, 50)), 0);
    EXPECT_FALSE(FeatureIsEdge(map->Pixel(100, 50)));
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 128; ++x) EXPECT_LE(FeatureStrength(map->Pixel(x, y)), 127);
}

TEST(FeatureMap, HorizontalAndDiagonalContours)
{
    TBitmap32 horizontal(96, 96, clWhite32);
    horizontal.FillRect(0, 48, 96, 96, clBlack32);
    auto map = MapOf(horizontal);
    EXPECT_EQ(FeatureDirection(map->Pixel(48, 47)), 0);

    // Dark below a line rising to the right: contour direction 32.
    TBitmap32 diagonal(128, 128, clWhite32);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x)
            if (x + y > 127) diagonal.Pixel(x, y) = clBlack32;
    map = MapOf(diagonal);
    EXPECT_EQ(FeatureDirection(map->Pixel(64, 64)), 32);
}

TEST(FeatureMap, RepeatedRunsAreBitIdentical)
{
    TBitmap32 pic(100, 70);
    for (int y = 0; y < 70; ++y)
        for (int x = 0; x < 100; ++x)
            pic.Pixel(x, y) = Color32(uint8_t(x * 7 + y), uint8_t(x * y), uint8_t(200 - y * 2));
    auto a = MapOf(pic), b = MapOf(pic);
    ASSERT_EQ(a->Width(), b->Width());
    EXPECT_TRUE(std::equal(a->Bits(), a->Bits() + 7000, b->Bits()));
}

TEST(FeatureMap, TinyAndThinPicturesStillGetAMap)
{
    for (auto [w, h] : {std::pair{1, 10000}, std::pair{10000, 1}, std::pair{2, 2}, std::pair{3, 3}, std::pair{0, 0}}) {
        TBitmap32 pic(w, h, clBlack32);
        auto map = MapOf(pic);
        ASSERT_EQ(map->Width(), w);
        ASSERT_EQ(map->Height(), h);
        for (int64_t i = 0; i < int64_t(w) * h; ++i) {
            EXPECT_EQ(FeatureStrength(map->Bits()[i]), 0);
            if (w < 3 || h < 3) {
                EXPECT_FALSE(FeatureIsEdge(map->Bits()[i]));
            }
        }
    }
}

TEST(FeatureMap, SizesAroundTheBlockSize)
{
    // 96 = 6 blocks with the last column never visited; 100 has 6 computed columns.
    for (int w : {96, 100, 17, 16, 15}) {
        TBitmap32 pic(w, 40, clBlack32);
        pic.FillRect(0, 0, w / 2, 40, clWhite32);
        auto map = MapOf(pic);
        EXPECT_EQ(map->Width(), w);
        EXPECT_EQ(FeatureDirection(map->Pixel(w - 1, 39)), 191);
    }
}

TEST(FeatureMap, ReportsProgressAndAlwaysFinishes)
{
    RecordingProgress progress;
    SetProgress(&progress);
    TBitmap32 pic(40, 40, clWhite32);
    MapOf(pic);
    SetProgress(nullptr);
    EXPECT_EQ(progress.caption, "Analyzing Image...");
    EXPECT_EQ(progress.starts, 1);
    EXPECT_EQ(progress.finishes, 1);
    EXPECT_EQ(progress.positions, (std::vector<int>{5, 8, 12, 14, 28, 35, 50, 90, 100}));
}
