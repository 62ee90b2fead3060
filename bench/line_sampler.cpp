// Tracing strokes of the default style (length 40, poly step 12, gain 12,
// scan width 2) at random points of a one-megapixel feature map, as the
// apply-to-the-entire-image run places them. Target: 10,000 strokes in
// under 50 ms on one core.
#include "DefaultStroke.h"
#include "engine/LineSampler.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

namespace {

constexpr int32_t MapSide = 1000;
constexpr int StrokesPerRun = 10000;

// Contours circling the centre, with strength, colour and edge marks that
// vary across the map so every branch of the sampler is taken.
TBitmap32 SyntheticFeatureMap()
{
    TBitmap32 map(MapSide, MapSide);
    for (int32_t y = 0; y < MapSide; ++y) {
        for (int32_t x = 0; x < MapSide; ++x) {
            const double angle = std::atan2(double(MapSide / 2 - y), double(x - MapSide / 2)) + std::numbers::pi / 2;
            int dir = Round(angle / (2 * std::numbers::pi) * 255.0) & 255;
            if (dir > 64 && dir < 191) dir = (dir + 128) & 255; // contours are undirected
            const uint8_t darkness = uint8_t((x * 7 + y * 3) & 255);
            const uint8_t hueSat = uint8_t(((x / 40) % 32) * 8 + (y / 150) % 8);
            const uint8_t strength = uint8_t((x * y) % 97 < 5 ? 0 : (x + y) % 128);
            const bool edge = (x % 173 == 0) || (y % 211 == 0);
            map.Pixel(x, y) = (TColor32(dir) << 24) | (TColor32(darkness) << 16) | (TColor32(hueSat) << 8) |
                              TColor32(strength | (edge ? 128 : 0));
        }
    }
    return map;
}

void BM_TraceDefaultStrokes(benchmark::State& state)
{
    const TBitmap32 map = SyntheticFeatureMap();
    const TBitmap32 dest(MapSide, MapSide, clWhite32);
    RandSeed = 0;
    int64_t strokes = 0;
    for (auto _ : state) {
        for (int i = 0; i < StrokesPerRun; ++i) {
            const int32_t x = Random(MapSide), y = Random(MapSide);
            TLineSampler s(&map, &dest);
            bench::ConfigureDefaultStroke(s, x, y, 128);
            strokes += s.Sample();
            benchmark::DoNotOptimize(s.GetBounds());
        }
    }
    state.counters["strokes_ok"] = benchmark::Counter(double(strokes) / state.iterations());
}
BENCHMARK(BM_TraceDefaultStrokes)->Unit(benchmark::kMillisecond);

} // namespace
