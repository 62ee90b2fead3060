// Hot paths of the graphics layer: one stroke-sized polygon per call (the
// polygon renderer's work), blending a stroke's temporary bitmap, the brush
// strip stretch, the Mitchell shrink and the BMP stream of a document-sized
// bitmap.
#include "gfx/Bitmap32.h"
#include "gfx/Stream.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>

#include <cmath>

namespace {

// A curved stroke outline about 60 pixels long and 6 wide, as the line sampler builds it.
TArrayOfFixedPoint StrokeOutline(double cx, double cy)
{
    TArrayOfFixedPoint left, right;
    for (int i = 0; i <= 20; ++i) {
        const double t = i / 20.0, x = cx + 60 * t, y = cy + 10 * std::sin(t * 3);
        left.push_back(FixedPoint(x, y - 3));
        right.push_back(FixedPoint(x, y + 3));
    }
    left.insert(left.end(), right.rbegin(), right.rend());
    return left;
}

void BM_PolygonStroke(benchmark::State& state)
{
    TBitmap32 dest(1024, 768, clWhite32);
    const TArrayOfFixedPoint outline = StrokeOutline(400, 300);
    for (auto _ : state) {
        PolygonFS(dest, outline, 0xFF202020u);
        benchmark::DoNotOptimize(dest.Bits());
    }
}
BENCHMARK(BM_PolygonStroke);

void BM_BlendStrokeTemp(benchmark::State& state)
{
    TBitmap32 dest(1024, 768, clWhite32);
    TBitmap32 temp(80, 30, 0x80303030u);
    temp.DrawMode = TDrawMode::dmBlend;
    for (auto _ : state) {
        dest.Draw(400, 300, temp);
        benchmark::DoNotOptimize(dest.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 80 * 30);
}
BENCHMARK(BM_BlendStrokeTemp);

void BM_NearestStretchBrushStrip(benchmark::State& state)
{
    TBitmap32 brush(64, 32, 0xFF0000FFu);
    TBitmap32 strip(120, 10);
    for (auto _ : state) {
        strip.Draw(strip.BoundsRect(), brush.BoundsRect(), brush);
        benchmark::DoNotOptimize(strip.Bits());
    }
}
BENCHMARK(BM_NearestStretchBrushStrip);

// A document-sized picture shrunk to a style-preview thumbnail, and
// resampled to about half its size, with the Mitchell kernel.
void BM_MitchellShrink(benchmark::State& state)
{
    TBitmap32 page(2000, 1500);
    for (int32_t y = 0; y < 1500; ++y)
        for (int32_t x = 0; x < 2000; ++x) page.Pixel(x, y) = Color32(uint8_t(x), uint8_t(y), uint8_t(x ^ y));
    page.StretchFilter = TStretchFilter::sfMitchell;
    const int32_t w = static_cast<int32_t>(state.range(0)), h = w * 3 / 4;
    TBitmap32 out(w, h);
    for (auto _ : state) {
        out.Draw(out.BoundsRect(), page.BoundsRect(), page);
        benchmark::DoNotOptimize(out.Bits());
    }
    state.SetItemsProcessed(state.iterations() * 2000 * 1500);
}
BENCHMARK(BM_MitchellShrink)->Arg(160)->Arg(1000)->Unit(benchmark::kMillisecond);

void BM_BmpRoundTrip(benchmark::State& state)
{
    const TBitmap32 page(2000, 1500, 0x7F336699u);
    TBitmap32 back;
    for (auto _ : state) {
        TMemoryStream s;
        page.SaveToStream(s);
        s.SetPosition(0);
        back.LoadFromStream(s);
    }
    state.SetBytesProcessed(state.iterations() * 2000 * 1500 * 4 * 2);
}
BENCHMARK(BM_BmpRoundTrip)->Unit(benchmark::kMillisecond);

} // namespace

#include "GuiMain.h"
