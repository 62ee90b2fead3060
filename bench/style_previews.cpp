// Drawing the preview of each default style (and of a new style) on the
// sample picture, with the default brushes loaded as the program loads them.
// The sample picture is analysed once, before timing. Target: under 20 ms
// per preview on one core.
#include "BenchSupport.h"
#include "tools/DefaultStyles.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

namespace {

void BM_StylePreview(benchmark::State& state)
{
    static defaults::TDefaultEnvironment environment;
    SetStyleEnvironment(&environment);
    TGStyle::SampleMap();
    const std::vector<defaults::TStyleDesign> designs = defaults::DefaultStyles();
    const auto index = static_cast<size_t>(state.range(0));
    const std::unique_ptr<TGStyle> style =
        index < designs.size() ? defaults::MakeStyle(designs[index]) : std::make_unique<TGStyle>();
    state.SetLabel(index < designs.size() ? designs[index].Name : "new style");
    for (auto _ : state) {
        RandSeed = 0;
        style->SetLength(style->GetLength());  // out of date again
        style->UpdatePreview();
        benchmark::DoNotOptimize(style->GetPreview().Bits());
    }
}
BENCHMARK(BM_StylePreview)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

} // namespace

#include "GuiMain.h"
