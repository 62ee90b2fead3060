// TEffectSampler: draws a style's preview. It scatters strokes at random
// points of the sample picture's feature map, each heading within about 14
// degrees of +X, traces them with the style's parameters and renders them
// with the style's stroke renderer into the preview bitmap.
#pragma once

#include "engine/StrokeRenderer.h"
#include "engine/Turtle.h"
#include "gfx/Bitmap32.h"

#include <cstdint>

class TGStyle;
class TLineSampler;

class TEffectSampler {
public:
    static constexpr int32_t DefaultDensity = 700;

    // Neither bitmap nor the style is owned; all three outlive the sampler.
    TEffectSampler(const TBitmap32& featureMap, TBitmap32& dest, const TGStyle& style);

    // Feature-map to Dest coordinates, handed to the line sampler.
    void SetScale(float scale) { scale_ = scale; }

    // Strokes of one preview: Round(n * (Gain / 5)) in single precision, n
    // the stroke-count formula of the style's length, the density and the
    // rounded gain. None when the length or the rounded gain is 0 or less.
    int32_t StrokeCount() const;
    // Draws StrokeCount strokes, each at Random(width), then Random(height).
    void Run();
    // Traces and draws one stroke from a feature-map pixel. The random draws
    // come in this order: the direction, the line sampler's own, the
    // length, the tracing, then (for a traced stroke) the colour jitter.
    void StrokeAt(int32_t x, int32_t y);

    // The direction that the stroke being traced follows everywhere.
    TByteDirection Direction() const { return direction_; }

private:
    void RenderStroke(const TLineSampler& sampler);
    TAbstractStrokeRenderer& Renderer();

    const TBitmap32& featureMap_;
    TBitmap32& dest_;
    const TGStyle& style_;
    float scale_ = 1.0f;
    int32_t density_ = DefaultDensity;
    TByteDirection direction_ = 0;
    // Draws when no renderer manager is registered or it is empty.
    TPolygonStrokeRenderer fallback_;
};
