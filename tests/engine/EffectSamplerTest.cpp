#include "engine/EffectSampler.h"

#include "engine/FeatureExtractor.h"
#include "engine/LineSampler.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StyleEnvironment.h"
#include "engine/Styles.h"
#include "gfx/Errors.h"
#include "gfx/Random.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// Records what it is asked to draw, and fills polygons like the real one.
class TRecordingRenderer final : public TAbstractStrokeRenderer {
public:
    explicit TRecordingRenderer(int32_t id = 0) { SetID(id); }
    const TPersistentClass& Class() const override
    {
        static const TPersistentClass info = PersistentClassOf<TRecordingRenderer>("srd", "srend");
        return info;
    }
    void LoadFromStream(TStream&) override {}
    void SaveToStream(TStream&) override {}
    TRect Render(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest) override
    {
        if (Throw) throw EngineError("render failed");
        Colours.push_back(color_);
        Opacities.insert(opacity_);
        return polygon_.Render(left, right, dest);
    }
    std::vector<TColor32> Colours;
    std::set<uint8_t> Opacities;
    bool Throw = false;

private:
    TPolygonStrokeRenderer polygon_;
};

// A renderer manager with recording renderers: ID 0 first, then ID 7.
class TRendererEnvironment final : public IStyleEnvironment {
public:
    TRendererEnvironment() : manager_(TPersistentClass{"srd", "srend", nullptr}, "/dev/null/")
    {
        auto seven = std::make_unique<TRecordingRenderer>(7);
        Seven = seven.get();
        manager_.Add(std::move(seven));
        auto first = std::make_unique<TRecordingRenderer>(0);
        First = first.get();
        manager_.InsertFirst(std::move(first));
        SetStyleEnvironment(this);
    }
    ~TRendererEnvironment() override { SetStyleEnvironment(nullptr); }
    bool Updating() const override { return false; }
    std::unique_ptr<TBitmap32> SamplePicture() const override { return LoadEmbeddedSamplePicture(); }
    TPersistentObjectManager* RendererManager() const override { return &manager_; }
    TRecordingRenderer* First;
    TRecordingRenderer* Seven;

private:
    mutable TPersistentObjectManager manager_;
};

struct GuideThresholdGuard {
    int32_t saved = GuideThreshold;
    ~GuideThresholdGuard() { GuideThreshold = saved; }
};

// The sample map, a white preview and a sampler over them, scaled as the style does.
struct TPreviewRun {
    explicit TPreviewRun(const TGStyle& style)
        : dest(TGStyle::PreviewWidth, TGStyle::PreviewHeight, clWhite32), sampler(TGStyle::SampleMap(), dest, style)
    {
        sampler.SetScale(Single(double(TGStyle::PreviewWidth) / TGStyle::SampleMap().Width()));
    }
    TBitmap32 dest;
    TEffectSampler sampler;
};

bool AllWhite(const TBitmap32& b)
{
    for (int32_t y = 0; y < b.Height(); ++y)
        for (int32_t x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != clWhite32) return false;
    return true;
}

} // namespace

TEST(EffectSampler, StrokeCountFollowsLengthAndGain)
{
    TGStyle style;
    const TBitmap32 map(10, 10);
    TBitmap32 out(10, 10);
    TEffectSampler s(map, out, style);
    EXPECT_EQ(s.StrokeCount(), 1423);  // (120 + 7000) div 12 = 593, times 2.4000001
    style.SetGain(5.0f);
    EXPECT_EQ(s.StrokeCount(), (120 + 7000) / 5);
    style.SetGain(0.4f);  // rounds to 0: no strokes rather than a division by zero
    EXPECT_EQ(s.StrokeCount(), 0);
    style.SetGain(-6.0f);
    EXPECT_EQ(s.StrokeCount(), 0);
    style.SetGain(12.0f);
    style.SetLength(0);
    EXPECT_EQ(s.StrokeCount(), 0);
    style.SetLength(-40);
    EXPECT_EQ(s.StrokeCount(), 0);

    // n * (Gain / 5.0) is one expression, rounded once: a quotient stored in
    // single precision would turn these near-halves the other way.
    struct Case {
        int32_t length;
        float gain;
        int32_t count;
    };
    const Case cases[] = {
        {50, 2.1f, 1207},  // 2875 * 0.42 = 1207.4999...
        {27, 2.3f, 2403},  // 5225 * 0.46 = 2403.4999...
        {46, 2.7f, 1121},  // 2075 * 0.54 = 1120.5000...
        {31, 0.7f, 1277},  // 9125 * 0.14 = 1277.4999...
    };
    for (const Case& c : cases) {
        style.SetLength(c.length);
        style.SetGain(c.gain);
        EXPECT_EQ(s.StrokeCount(), c.count) << c.length << " " << c.gain;
    }
}

TEST(EffectSampler, PreviewIsBitIdenticalFromTheSameSeed)
{
    TRendererEnvironment env;
    GuideThresholdGuard guard;
    GuideThreshold = 7;
    TGStyle style;
    TPreviewRun a(style), b(style);
    RandSeed = 0;
    a.sampler.Run();
    const uint32_t after = RandSeed;
    RandSeed = 0;
    b.sampler.Run();
    EXPECT_EQ(RandSeed, after);
    EXPECT_FALSE(AllWhite(a.dest));
    for (int32_t y = 0; y < a.dest.Height(); ++y)
        for (int32_t x = 0; x < a.dest.Width(); ++x) ASSERT_EQ(a.dest.Pixel(x, y), b.dest.Pixel(x, y));
    EXPECT_EQ(GuideThreshold, 7);
    EXPECT_EQ(env.First->Opacities, std::set<uint8_t>{255});
}

TEST(EffectSampler, NothingIsDrawnWithoutLengthOrGain)
{
    TRendererEnvironment env;
    TGStyle style;
    style.SetLength(0);
    TPreviewRun run(style);
    RandSeed = 3;
    run.sampler.Run();
    EXPECT_EQ(RandSeed, 3u);
    EXPECT_TRUE(AllWhite(run.dest));

    // A one-step stroke has no outline to draw.
    style.SetLength(1);
    run.sampler.StrokeAt(100, 60);
    EXPECT_TRUE(AllWhite(run.dest));
    EXPECT_TRUE(env.First->Colours.empty());
}

TEST(EffectSampler, RendererFoundByIdentifierOrTheFirst)
{
    TRendererEnvironment env;
    TGStyle style;
    style.SetLength(30);  // fewer strokes
    style.SetStroke(7);
    style.SetAlpha(90);
    TPreviewRun(style).sampler.Run();
    EXPECT_FALSE(env.Seven->Colours.empty());
    EXPECT_TRUE(env.First->Colours.empty());
    EXPECT_EQ(env.Seven->Opacities, std::set<uint8_t>{90});

    style.SetStroke(99);  // no such renderer: the first (the polygon renderer)
    TPreviewRun(style).sampler.Run();
    EXPECT_FALSE(env.First->Colours.empty());
}

TEST(EffectSampler, WithoutVariationStrokesGetThePlainMeanColour)
{
    TRendererEnvironment env;
    // A map of one colour: every traced stroke has the same mean colour.
    TBitmap32 map(128, 64, (TColor32(0) << 24) | (TColor32(100) << 16) | (TColor32(12 * 8 + 5) << 8) | 60);
    TBitmap32 dest(TGStyle::PreviewWidth, TGStyle::PreviewHeight, clWhite32);
    TGStyle style;
    style.SetHueVar(0);
    style.SetSatVar(0);
    style.SetLightVar(0);
    TEffectSampler plain(map, dest, style);
    RandSeed = 0;
    for (int i = 0; i < 20; ++i) plain.StrokeAt(10 + 5 * i, 30);
    ASSERT_FALSE(env.First->Colours.empty());
    const std::set<TColor32> colours(env.First->Colours.begin(), env.First->Colours.end());
    EXPECT_EQ(colours.size(), 1u);

    env.First->Colours.clear();
    style.SetLightVar(60);
    for (int i = 0; i < 20; ++i) plain.StrokeAt(10 + 5 * i, 30);
    EXPECT_GT(std::set<TColor32>(env.First->Colours.begin(), env.First->Colours.end()).size(), 1u);
}

TEST(EffectSampler, DrawsComeInOrderAndDirectionsStayNearPlusX)
{
    TRendererEnvironment env;
    TGStyle style;
    TPreviewRun run(style);
    // A start outside the map traces nothing: the direction, the line
    // sampler's own draw and the length draw, and no colour jitter.
    RandSeed = 1234;
    const auto direction = static_cast<TByteDirection>(Random(20) - 10);
    Random(1000);
    Random(4);
    const uint32_t expected = RandSeed;
    RandSeed = 1234;
    run.sampler.StrokeAt(-50, -50);
    EXPECT_EQ(RandSeed, expected);
    EXPECT_EQ(run.sampler.Direction(), direction);
    EXPECT_TRUE(env.First->Colours.empty());

    for (int i = 0; i < 300; ++i) {
        run.sampler.StrokeAt(Random(256), Random(128));
        const int d = run.sampler.Direction();
        EXPECT_TRUE(d <= 9 || d >= 246) << d;
    }
}

TEST(EffectSampler, GuideThresholdIsRestoredWhenAStrokeFails)
{
    TRendererEnvironment env;
    GuideThresholdGuard guard;
    GuideThreshold = 3;
    env.First->Throw = true;
    TGStyle style;
    TPreviewRun run(style);
    EXPECT_THROW(run.sampler.Run(), EngineError);
    EXPECT_EQ(GuideThreshold, 3);

    // The style passes the failure on and keeps its preview out of date.
    EXPECT_THROW(style.UpdatePreview(), EngineError);
    EXPECT_TRUE(style.PreviewDirty());
    EXPECT_EQ(GuideThreshold, 3);
}
