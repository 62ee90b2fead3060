// The feature map of synthetic pictures, byte by byte where the answer is known.
#include "engine/FeatureExtractor.h"

#include "engine/GTypes.h"
#include "engine/Progress.h"
#include "gfx/ColorHSL.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// ---------------------------------------------------------------------------
// The analysis written out step by step in the plainest way, without any of
// the shortcuts the filters take (column sums, ratio tests instead of the
// arctangent, candidate lists, the polynomial direction, the fused spreading
// of the two grids). The map must match it bit for bit.
namespace literal {

using Grid = std::vector<int>;

struct Picture {
    int w, h;
    int At(const Grid& a, int r, int x) const { return a[r * w + x]; }
};

void Smooth5(const Picture& p, const Grid& a, Grid& b)
{
    static const int k[5][5] = {
        {2, 4, 5, 4, 2}, {4, 9, 12, 9, 4}, {5, 12, 15, 12, 5}, {4, 9, 12, 9, 4}, {2, 4, 5, 4, 2}};
    for (int r = 2; r <= p.h - 3; ++r)
        for (int x = 2; x <= p.w - 3; ++x) {
            int sum = 0;
            for (int i = -2; i <= 2; ++i)
                for (int j = -2; j <= 2; ++j) sum += k[i + 2][j + 2] * p.At(a, r + i, x + j);
            b[r * p.w + x] = std::clamp(sum / 159, 0, 255);
        }
    if (p.w < 2 || p.h < 2) return;
    for (int r : {0, 1})
        for (int x : {0, 1}) b[r * p.w + x] = a[r * p.w + x];
    for (int r : {p.h - 2, p.h - 1})
        for (int x : {p.w - 2, p.w - 1}) b[r * p.w + x] = a[r * p.w + x];
}

Grid SmoothInPlace(const Picture& p, const Grid& a, int passes)
{
    Grid t = a, u = a;
    for (int k = 1; k <= passes; ++k) {
        if (k % 2 == 1)
            Smooth5(p, u, t);
        else
            Smooth5(p, t, u);
    }
    if (passes % 2 == 0) t = u;
    return t;
}

// The bilinear spreading, one output array per grid.
std::vector<float> Upsample(const std::vector<float>& g, int gw, int gh, int w, int h)
{
    std::vector<float> o(static_cast<size_t>(w) * h, 0.0f);
    const float fx = Single(double(gw) / w), fy = Single(double(gh) / h);
    for (int r = 0; r <= h - 2; ++r)
        for (int x = 0; x <= w - 2; ++x) {
            const float u = Single(x * double(fx)), v = Single(r * double(fy));
            const int iu = int(u), iv = int(v);
            const float fu = Single(u - double(iu)), fv = Single(v - double(iv));
            if (0 < iu && iu < gw - 1 && 0 < iv && iv < gh - 1) {
                auto G = [&](int row, int col) { return double(g[row * gw + col]); };
                o[r * w + x] = Single((1 - double(fu)) * (1 - double(fv)) * G(iv, iu) +
                                      double(fu) * (1 - double(fv)) * G(iv, iu + 1) +
                                      (1 - double(fu)) * double(fv) * G(iv + 1, iu) +
                                      double(fu) * double(fv) * G(iv + 1, iu + 1));
            } else {
                o[r * w + x] = 0.0f;
            }
        }
    return o;
}

Grid Directions(const Picture& p, const Grid& gr, const Grid& gc)
{
    const int B = 16, gw = p.w / B, gh = p.h / B;
    std::vector<float> angle(static_cast<size_t>(gw) * gh, 0.0f);
    for (int cx = B / 2; cx < p.w - B / 2; cx += B)
        for (int cy = B / 2; cy < p.h - B / 2; cy += B) {
            int32_t sxy = 0, sd = 0;
            for (int r = cy - B / 2; r <= cy + B / 2; ++r)
                for (int x = cx - B / 2; x <= cx + B / 2; ++x) {
                    sxy += 2 * p.At(gr, r, x) * p.At(gc, r, x);
                    sd += p.At(gr, r, x) * p.At(gr, r, x) - p.At(gc, r, x) * p.At(gc, r, x);
                }
            angle[(cy / B) * gw + cx / B] = (sxy == 0 && sd == 0) ? 0.0f : Single(std::atan2(double(sxy), double(sd)));
        }
    std::vector<float> cosGrid(angle.size()), sinGrid(angle.size());
    for (size_t i = 0; i < angle.size(); ++i) {
        cosGrid[i] = Single(std::cos(double(angle[i])));
        sinGrid[i] = Single(std::sin(double(angle[i])));
    }
    const auto c = Upsample(cosGrid, gw, gh, p.w, p.h), s = Upsample(sinGrid, gw, gh, p.w, p.h);
    Grid out(c.size());
    for (size_t i = 0; i < c.size(); ++i) out[i] = DirectionToByte(-s[i], c[i]);
    return out;
}

Grid DetectEdges(const Picture& p, const Grid& dark)
{
    Grid s(dark.size(), 0), e(dark.size(), 0);
    Smooth5(p, dark, s);
    for (int r = 1; r <= p.h - 2; ++r)
        for (int x = 1; x <= p.w - 2; ++x) {
            const int a = p.At(s, r - 1, x - 1), b = p.At(s, r - 1, x), c = p.At(s, r - 1, x + 1);
            const int d = p.At(s, r, x - 1), f = p.At(s, r, x + 1);
            const int g = p.At(s, r + 1, x - 1), h = p.At(s, r + 1, x), i = p.At(s, r + 1, x + 1);
            const int gr = (a + 2 * b + c) - (g + 2 * h + i), gc = (a + 2 * d + g) - (c + 2 * f + i);
            const int m = std::min(std::abs(gr) + std::abs(gc), 255);
            float q;
            if (gr == 0)
                q = gc != 0 ? 90.0f : 0.0f;
            else if ((gc < 0) != (gr < 0) && gc != 0)
                q = Single(180.0 - std::atan(double(std::abs(gc)) / std::abs(gr)) * 180.0 / M_PI);
            else
                q = Single(std::atan(double(gc) / gr) * 180.0 / M_PI);
            int n1, n2;
            if (q < 22.5f) { n1 = d; n2 = f; }
            else if (q < 67.5f) { n1 = g; n2 = c; }
            else if (q < 112.5f) { n1 = b; n2 = h; }
            else if (q < 157.5f) { n1 = a; n2 = i; }
            else { n1 = d; n2 = f; }
            e[r * p.w + x] = (m >= n1 && m >= n2 && m >= 128) ? 255 : 0;
        }
    return e;
}

void Thin(const Picture& p, Grid& e)
{
    Grid mark(e.size(), 0);
    auto step = [&](int which) {
        for (int x = 2; x <= p.w - 2; ++x)
            for (int r = 2; r <= p.h - 2; ++r) {
                const int p1 = p.At(e, r, x), p2 = p.At(e, r - 1, x), p3 = p.At(e, r - 1, x + 1);
                const int p4 = p.At(e, r, x + 1), p5 = p.At(e, r + 1, x + 1), p6 = p.At(e, r + 1, x);
                const int p7 = p.At(e, r + 1, x - 1), p8 = p.At(e, r, x - 1), p9 = p.At(e, r - 1, x - 1);
                const int n = (p2 + p3 + p4 + p5 + p6 + p7 + p8 + p9) / 255;
                const int ring[9] = {p2, p3, p4, p5, p6, p7, p8, p9, p2};
                int t = 0;
                for (int k = 0; k < 8; ++k) t += ring[k] == 0 && ring[k + 1] == 255;
                const bool products = which == 1 ? (p2 * p4 * p6 == 0 && p4 * p6 * p8 == 0)
                                                 : (p2 * p4 * p8 == 0 && p2 * p6 * p8 == 0);
                mark[r * p.w + x] = p1 == 255 && 2 <= n && n <= 6 && t == 1 && products;
            }
        bool removed = false;
        for (size_t i = 0; i < e.size(); ++i)
            if (mark[i] && e[i] != 0) {
                e[i] = 0;
                removed = true;
            }
        return removed;
    };
    for (;;) {
        const bool one = step(1);
        const bool two = step(2);
        if (!one && !two) break;
    }
}

std::vector<TColor32> Map(const TBitmap32& pic)
{
    const Picture p{pic.Width(), pic.Height()};
    const size_t n = static_cast<size_t>(p.w) * p.h;
    Grid dark(n), colour(n);
    for (int r = 0; r < p.h; ++r)
        for (int x = 0; x < p.w; ++x) {
            const THSL hsl = RGBToHSL(pic.Pixel(x, p.h - 1 - r));
            dark[r * p.w + x] = 255 - Round(double(hsl.L) * 255);
            colour[r * p.w + x] = Round(double(hsl.H) * 31) * 8 + Round(double(hsl.S) * 7);
        }
    Grid gr(n, 0), gc(n, 0), strength(n);
    for (int r = 1; r <= p.h - 2; ++r)
        for (int x = 1; x <= p.w - 2; ++x) {
            auto D = [&](int dr, int dx) { return p.At(dark, r + dr, x + dx); };
            gr[r * p.w + x] = (D(-1, -1) + 2 * D(-1, 0) + D(-1, 1)) - (D(1, -1) + 2 * D(1, 0) + D(1, 1));
            gc[r * p.w + x] = (D(-1, -1) + 2 * D(0, -1) + D(1, -1)) - (D(-1, 1) + 2 * D(0, 1) + D(1, 1));
        }
    for (size_t i = 0; i < n; ++i) strength[i] = std::min(std::abs(gr[i]) + std::abs(gc[i]), 255);
    strength = SmoothInPlace(p, strength, 10);
    const Grid dirs = Directions(p, gr, gc);
    Grid edges = DetectEdges(p, dark);
    for (int& v : edges) v = v > 128 ? 255 : 0;
    Thin(p, edges);

    std::vector<TColor32> out(n);
    for (int r = 0; r < p.h; ++r)
        for (int x = 0; x < p.w; ++x) {
            const size_t i = static_cast<size_t>(r) * p.w + x;
            const int blue = (strength[i] >> 1) | (edges[i] ? 128 : 0);
            out[static_cast<size_t>(p.h - 1 - r) * p.w + x] =
                Color32(uint8_t(dark[i]), uint8_t(colour[i]), uint8_t(blue), uint8_t(dirs[i]));
        }
    return out;
}

} // namespace literal

namespace {

// Soft shapes at every angle, hard edges and grain, so that every branch of
// the edge test and every direction byte turns up.
TBitmap32 BusyPicture(int w, int h, uint32_t seed)
{
    TBitmap32 pic(w, h);
    const uint32_t saved = RandSeed;
    RandSeed = seed;
    const double cx = w * 0.4, cy = h * 0.55;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double rr = std::hypot(x - cx, y - cy);
            const double ring = 128 + 100 * std::sin(rr / 3.0);
            const int grain = Random(41) - 20;
            const bool block = x > w * 0.7 && y < h * 0.3;
            auto ch = [&](double v) { return uint8_t(std::clamp(int(v) + grain, 0, 255)); };
            pic.Pixel(x, y) = block ? Color32(20, 30, uint8_t(Random(256)))
                                    : Color32(ch(ring), ch(255 - ring * 0.7), ch(60 + (x * 3 + y) % 150));
        }
    RandSeed = saved;
    return pic;
}

} // namespace

TEST(FeatureMap, IsBitIdenticalToTheLiteralAnalysis)
{
    const std::pair<int, int> sizes[] = {{160, 128}, {97, 83}, {100, 96}, {33, 47}, {17, 5}, {3, 3}, {2, 40}, {64, 1}};
    uint32_t seed = 7;
    for (auto [w, h] : sizes) {
        const TBitmap32 pic = BusyPicture(w, h, seed++);
        const auto map = MapOf(pic);
        const auto expected = literal::Map(pic);
        ASSERT_EQ(map->Width(), w);
        ASSERT_EQ(map->Height(), h);
        int mismatches = 0;
        for (size_t i = 0; i < expected.size(); ++i)
            if (map->Bits()[i] != expected[i] && ++mismatches <= 5)
                ADD_FAILURE() << w << "x" << h << " pixel (" << i % w << ", " << i / w << "): " << std::hex
                              << map->Bits()[i] << " instead of " << expected[i];
        EXPECT_EQ(mismatches, 0) << w << "x" << h;
    }
}
