// Analysing a picture into its feature map: time and peak working memory
// per pixel beyond the picture and the map.
#include "BenchSupport.h"

#include "engine/FeatureExtractor.h"

#include <benchmark/benchmark.h>

static void BM_FeatureExtractor(benchmark::State& state)
{
    const int32_t side = static_cast<int32_t>(state.range(0));
    const TBitmap32 picture = bench::PhotoLikePicture(side, side);
    const double pixels = double(side) * side;
    int64_t peakExtra = 0;
    for (auto _ : state) {
        const int64_t base = bench::ResetPeak();
        auto map = TFeatureExtractor::Run(picture);
        benchmark::DoNotOptimize(map->Bits());
        // An upper bound: it counts the map too if the map was alive at the peak.
        peakExtra = std::max<int64_t>(peakExtra, bench::heapPeak - base);
    }
    state.counters["megapixels"] = pixels / 1e6;
    state.counters["peak_extra_bytes_per_pixel"] = double(peakExtra) / pixels;
    state.SetItemsProcessed(state.iterations() * int64_t(pixels));
}
BENCHMARK(BM_FeatureExtractor)->Arg(1024)->Arg(2048)->Unit(benchmark::kMillisecond);
