// The array filters against answers worked out by hand.
#include "engine/ImageFilters.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

namespace {

TByteArray Filled(int w, int h, uint8_t v) { return TByteArray(static_cast<size_t>(w) * h, v); }

// Set elements as (row, column) pairs.
std::set<std::pair<int, int>> SetElements(const TByteArray& a, int w, int h)
{
    std::set<std::pair<int, int>> out;
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x)
            if (a[r * w + x]) out.insert({r, x});
    return out;
}

} // namespace

TEST(ImageFilters, SobelOfAVerticalStep)
{
    // Left half 0, right half 100: the column difference is the left minus the
    // right, so it is negative on the step; the row difference is 0.
    const int w = 6, h = 4;
    TByteArray a(w * h);
    for (int r = 0; r < h; ++r)
        for (int x = 0; x < w; ++x) a[r * w + x] = x >= 3 ? 100 : 0;
    TShortArray rows(w * h, 0), cols(w * h, 0);
    SobelRows(a.data(), rows.data(), w, h);
    SobelColumns(a.data(), cols.data(), w, h);
    EXPECT_EQ(cols[1 * w + 2], -400);
    EXPECT_EQ(cols[1 * w + 3], -400);
    EXPECT_EQ(cols[1 * w + 1], 0);
    for (int16_t v : rows) EXPECT_EQ(v, 0);
    EXPECT_EQ(cols[0 * w + 3], 0); // the outer rows are never written

    TByteArray mag(w * h);
    GradientMagnitude(rows.data(), cols.data(), mag.data(), w, h);
    EXPECT_EQ(mag[1 * w + 2], 255);
}

TEST(ImageFilters, SmoothingAConstantKeepsItAndWritesOnlyTwoCornersOfTheFrame)
{
    const int w = 9, h = 7;
    TByteArray src = Filled(w, h, 80), dst = Filled(w, h, 0);
    GaussianSmooth5(src.data(), dst.data(), w, h);
    for (int r = 2; r <= h - 3; ++r)
        for (int x = 2; x <= w - 3; ++x) EXPECT_EQ(dst[r * w + x], 80);
    EXPECT_EQ(dst[0], 80);
    EXPECT_EQ(dst[1 * w + 1], 80);
    EXPECT_EQ(dst[(h - 1) * w + w - 1], 80);
    EXPECT_EQ(dst[0 * w + w - 1], 0); // bottom-right corner of the frame: not written
    EXPECT_EQ(dst[(h - 1) * w + 0], 0);
    EXPECT_EQ(dst[2 * w + 0], 0);

    TByteArray inPlace = Filled(w, h, 80);
    inPlace[4 * w + 4] = 239;
    SmoothInPlace(inPlace.data(), w, h, 10);
    EXPECT_EQ(inPlace[0 * w + w - 1], 80); // the frame keeps the input values
}

TEST(ImageFilters, SmoothingAnImpulseUsesTheKernelWeights)
{
    const int w = 9, h = 9;
    TByteArray src = Filled(w, h, 0), dst = Filled(w, h, 0);
    src[4 * w + 4] = 159;
    GaussianSmooth5(src.data(), dst.data(), w, h);
    EXPECT_EQ(dst[4 * w + 4], 15);
    EXPECT_EQ(dst[4 * w + 5], 12);
    EXPECT_EQ(dst[5 * w + 5], 9);
    EXPECT_EQ(dst[6 * w + 6], 2);
    EXPECT_EQ(dst[6 * w + 5], 4);
    EXPECT_EQ(dst[6 * w + 4], 5);
}

TEST(ImageFilters, SmoothPassesEndInTheTarget)
{
    const int w = 12, h = 12;
    TByteArray src = Filled(w, h, 0);
    src[6 * w + 6] = 255;
    TByteArray once = Filled(w, h, 0), twice = Filled(w, h, 0), step = Filled(w, h, 0);
    SmoothPasses(src.data(), once.data(), w, h, 1);
    SmoothPasses(src.data(), twice.data(), w, h, 2);
    step = src;
    GaussianSmooth5(once.data(), step.data(), w, h);
    EXPECT_EQ(twice, step);
}

TEST(ImageFilters, BinarizeAndCombine)
{
    TByteArray a{0, 128, 129, 255};
    Binarize(a.data(), 4, 1);
    EXPECT_EQ(a, (TByteArray{0, 0, 255, 255}));

    TByteArray strength{255, 255, 7};
    TByteArray edges{255, 0, 1};
    CombineStrengthAndEdges(strength.data(), edges.data(), 3, 1);
    EXPECT_EQ(edges, (TByteArray{255, 127, 131}));
}

TEST(ImageFilters, NoEdgesInAFlatBlackArray)
{
    const int w = 20, h = 16;
    TByteArray d = Filled(w, h, 0), e = Filled(w, h, 0);
    DetectEdges(d.data(), e.data(), w, h);
    EXPECT_TRUE(SetElements(e, w, h).empty());
}

TEST(ImageFilters, AConstantArrayGivesAClosedRectangleInsideTheBorder)
{
    const int w = 20, h = 16;
    for (uint8_t level : {uint8_t(40), uint8_t(100), uint8_t(255)}) {
        TByteArray d = Filled(w, h, level), e = Filled(w, h, 0);
        DetectEdges(d.data(), e.data(), w, h);
        Binarize(e.data(), w, h);
        ThinEdges(e.data(), w, h);
        const auto set = SetElements(e, w, h);

        std::set<std::pair<int, int>> rectangle;
        for (int x = 1; x <= w - 3; ++x) {
            rectangle.insert({1, x});
            rectangle.insert({h - 3, x});
        }
        for (int r = 1; r <= h - 3; ++r) {
            rectangle.insert({r, 1});
            rectangle.insert({r, w - 3});
        }
        for (const auto& p : rectangle) EXPECT_TRUE(set.count(p)) << int(level) << " at " << p.first << "," << p.second;
        std::set<std::pair<int, int>> extra;
        for (const auto& p : set)
            if (!rectangle.count(p)) extra.insert(p);
        if (level >= 64) {
            EXPECT_EQ(extra, (std::set<std::pair<int, int>>{{1, w - 2}, {h - 2, 1}})) << int(level);
        } else {
            EXPECT_TRUE(extra.empty()) << int(level);
        }
    }
}

TEST(ImageFilters, ThinningABandLeavesALine)
{
    const int w = 20, h = 11;
    TByteArray e = Filled(w, h, 0);
    for (int r = 4; r <= 6; ++r)
        for (int x = 4; x <= 15; ++x) e[r * w + x] = 255;
    ThinEdges(e.data(), w, h);
    const auto set = SetElements(e, w, h);
    std::set<int> rows, cols;
    for (const auto& p : set) {
        rows.insert(p.first);
        cols.insert(p.second);
    }
    EXPECT_EQ(rows.size(), 1u);
    // The two sub-steps are not symmetric: the line keeps columns 5..13 of 4..15.
    EXPECT_EQ(*rows.begin(), 5);
    EXPECT_EQ(*cols.begin(), 5);
    EXPECT_EQ(*cols.rbegin(), 13);
    EXPECT_EQ(set.size(), 9u);
}

TEST(ImageFilters, ThinningLeavesLonePixelsAndPairs)
{
    const int w = 12, h = 12;
    TByteArray e = Filled(w, h, 0);
    e[3 * w + 3] = 255;
    e[7 * w + 6] = 255;
    e[7 * w + 7] = 255;
    const TByteArray before = e;
    ThinEdges(e.data(), w, h);
    EXPECT_EQ(e, before);
}

TEST(ImageFilters, BilinearUpsample)
{
    // A grid under 3 x 3 has no base cell at all.
    std::vector<float> small(2 * 2, 1.0f), out(40 * 40, -1.0f);
    BilinearUpsample(small.data(), 2, 2, out.data(), 40, 40);
    for (int r = 0; r < 39; ++r)
        for (int x = 0; x < 39; ++x) EXPECT_EQ(out[r * 40 + x], 0.0f);
    EXPECT_EQ(out[39], -1.0f); // last column not written

    // A constant 4 x 4 grid over 64 x 64: grid point k lands on pixel 16 k;
    // base cells 1 and 2 cover pixels 16..47.
    std::vector<float> grid(16, 0.5f), big(64 * 64, -1.0f);
    BilinearUpsample(grid.data(), 4, 4, big.data(), 64, 64);
    EXPECT_EQ(big[20 * 64 + 20], 0.5f);
    EXPECT_EQ(big[47 * 64 + 47], 0.5f);
    EXPECT_EQ(big[15 * 64 + 20], 0.0f);
    EXPECT_EQ(big[20 * 64 + 48], 0.0f);
}

TEST(ImageFilters, FiltersNeverTouchOutsideTinyArrays)
{
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 50}, std::pair{50, 1}, std::pair{2, 2}, std::pair{3, 3}, std::pair{4, 4}}) {
        TByteArray d = Filled(w, h, 200), e = Filled(w, h, 0), s = Filled(w, h, 0);
        TShortArray rows(w * h, 0), cols(w * h, 0);
        SobelRows(d.data(), rows.data(), w, h);
        SobelColumns(d.data(), cols.data(), w, h);
        GaussianSmooth5(d.data(), s.data(), w, h);
        SmoothInPlace(d.data(), w, h, 10);
        DetectEdges(d.data(), e.data(), w, h);
        ThinEdges(e.data(), w, h);
        TByteArray dirs(w * h, 0);
        OrientationField(rows.data(), cols.data(), dirs.data(), w, h, 16);
        for (uint8_t v : dirs) EXPECT_EQ(v, 191);
    }
}
