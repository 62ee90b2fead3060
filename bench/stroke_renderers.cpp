// Rendering 5,000 traced strokes of the default style (length 40, poly step
// 12, gain 12, scan width 2) into a one-megapixel bitmap, with the polygon
// renderer and with each default brush. The strokes are traced once, before
// timing. Targets on one core: under 100 ms per 5,000 polygon strokes and
// under 300 ms per 5,000 brush strokes.
#include "BenchSupport.h"
#include "DefaultStroke.h"
#include "tools/DefaultBrushes.h"

#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/FeatureExtractor.h"
#include "engine/LineSampler.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int32_t Side = 1000;
constexpr int StrokesPerRun = 5000;

struct TTracedStroke {
    TArrayOfFixedPoint Left, Right;
    TColor32 Color;
};

const std::vector<TTracedStroke>& DefaultStrokes()
{
    static const std::vector<TTracedStroke> strokes = [] {
        const TBitmap32 picture = bench::PhotoLikePicture(Side, Side);
        const std::unique_ptr<TBitmap32> map = TFeatureExtractor::Run(picture);
        std::vector<TTracedStroke> out;
        RandSeed = 0;
        while (out.size() < StrokesPerRun) {
            const int32_t x = Random(Side), y = Random(Side);
            TLineSampler s(map.get(), map.get());
            bench::ConfigureDefaultStroke(s, x, y, 32);
            if (s.Sample()) out.push_back({s.Left(), s.Right(), s.Color()});
        }
        return out;
    }();
    return strokes;
}

std::unique_ptr<TAbstractStrokeRenderer> MakeRenderer(int index)
{
    if (index == 0) return std::make_unique<TPolygonStrokeRenderer>();
    return defaults::MakeBrushRenderer(defaults::DefaultBrushes()[size_t(index - 1)]);
}

void BM_RenderDefaultStrokes(benchmark::State& state)
{
    const std::vector<TTracedStroke>& strokes = DefaultStrokes();
    const std::unique_ptr<TAbstractStrokeRenderer> renderer = MakeRenderer(static_cast<int>(state.range(0)));
    TBitmap32 dest(Side, Side, clWhite32);
    bench::ResetPeak();
    const int64_t before = bench::heapNow;
    for (auto _ : state) {
        for (const TTracedStroke& s : strokes) {
            renderer->SetColor(s.Color);
            renderer->SetOpacity(255);
            benchmark::DoNotOptimize(renderer->Render(s.Left, s.Right, dest));
        }
    }
    state.SetLabel(state.range(0) == 0 ? "polygon" : defaults::DefaultBrushes()[size_t(state.range(0) - 1)].Title);
    state.counters["peak_heap_kb"] = double(bench::heapPeak - before) / 1024.0;
}
BENCHMARK(BM_RenderDefaultStrokes)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

} // namespace
