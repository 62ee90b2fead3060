#include "engine/EffectSampler.h"

#include "engine/FeatureExtractor.h"
#include "engine/GTypes.h"
#include "engine/LineSampler.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StyleEnvironment.h"
#include "engine/Styles.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

namespace {

// Sets the process-wide guide threshold for one stroke and puts the old
// value back on every way out.
class TGuideThresholdOverride {
public:
    explicit TGuideThresholdOverride(int32_t value) : saved_(GuideThreshold) { GuideThreshold = value; }
    ~TGuideThresholdOverride() { GuideThreshold = saved_; }
    TGuideThresholdOverride(const TGuideThresholdOverride&) = delete;
    TGuideThresholdOverride& operator=(const TGuideThresholdOverride&) = delete;

private:
    int32_t saved_;
};

// Above every doubled strength (at most 254): every step asks the callback.
constexpr int32_t FollowCallbackEverywhere = 255;

} // namespace

TEffectSampler::TEffectSampler(const TBitmap32& featureMap, TBitmap32& dest, const TGStyle& style)
    : featureMap_(featureMap), dest_(dest), style_(style)
{
}

int32_t TEffectSampler::StrokeCount() const
{
    const int32_t gain = Round(style_.GetGain());
    if (style_.GetLength() <= 0 || gain <= 0) return 0;
    const int32_t n = StrokeCountFormula(style_.GetLength(), density_, gain);
    // One expression, rounded once: no single-precision value in between.
    return Round(double(n) * (double(style_.GetGain()) / 5.0));
}

void TEffectSampler::Run()
{
    const int32_t count = StrokeCount();
    for (int32_t i = 0; i < count; ++i) {
        const int32_t x = Random(featureMap_.Width());
        const int32_t y = Random(featureMap_.Height());
        StrokeAt(x, y);
    }
}

void TEffectSampler::StrokeAt(int32_t x, int32_t y)
{
    direction_ = static_cast<TByteDirection>(Random(20) - 10);
    const TGuideThresholdOverride guide(FollowCallbackEverywhere);
    TLineSampler sampler(&featureMap_, &dest_);
    sampler.SetScale(scale_);
    sampler.SetPolyStep(style_.GetPolyStep());
    sampler.SetStart({x, y});
    const int32_t steps = JitteredLength(style_.GetLength());
    sampler.SetLength(steps);
    sampler.SetGain(style_.GetGain());
    sampler.SetScanWidth(style_.GetScanWidth());
    sampler.StopAtEdges = style_.GetStopOnBorders() != 0;
    sampler.SetOnGetDirection([this](int32_t, int32_t, TByteDirection& d) { d = direction_; });
    sampler.SetThreshold(style_.BorderLimitByte());
    if (steps <= 0) return;
    if (sampler.Sample()) RenderStroke(sampler);
}

void TEffectSampler::RenderStroke(const TLineSampler& sampler)
{
    TAbstractStrokeRenderer& renderer = Renderer();
    TColor32 colour = sampler.Color();
    if (int(style_.GetHueVar()) + style_.GetSatVar() + style_.GetLightVar() > 0)
        JitterColorHSL(colour, style_.GetHueVar(), style_.GetSatVar(), style_.GetLightVar(), 0, 0, 0);
    renderer.SetColor(colour);
    renderer.SetOpacity(style_.GetAlpha());
    renderer.Render(sampler.Left(), sampler.Right(), dest_);
}

TAbstractStrokeRenderer& TEffectSampler::Renderer()
{
    // The style's renderer, else the manager's first (the polygon renderer).
    if (TPersistentObjectManager* manager = StyleEnvironment().RendererManager()) {
        if (auto* r = dynamic_cast<TAbstractStrokeRenderer*>(manager->FindByID(style_.GetStroke()))) return *r;
        if (manager->Count() > 0)
            if (auto* first = dynamic_cast<TAbstractStrokeRenderer*>(&manager->GetObject(0))) return *first;
    }
    return fallback_;
}
