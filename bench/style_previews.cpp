// Drawing the preview of each default style (and of a new style) on the
// sample picture, with the default brushes loaded as the program loads them.
// The sample picture is analysed once, before timing. Target: under 20 ms
// per preview on one core. Also loading the slowest style a style file may
// hold, and a style file whose stored preview claims a huge size: neither
// may hold the program for long or take much memory.
#include "BenchSupport.h"
#include "tools/DefaultStyles.h"

#include "engine/Utils.h"
#include "gfx/Stream.h"

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

// Loading the slowest style a style file may hold: the largest values of
// the gauges, the finest poly step, and a stored preview of another size,
// so that the preview is drawn as the style is loaded (as at start-up). The
// longest strokes and the shortest that are still drawn cost about the
// same. Target: well under half a second.
void BM_LoadSlowestAcceptedStyle(benchmark::State& state)
{
    static defaults::TDefaultEnvironment environment;
    SetStyleEnvironment(&environment);
    TGStyle::SampleMap();
    TStyleParams params;
    params.PolyStep = 0;
    params.Length = static_cast<int32_t>(state.range(0));
    params.Gain = 40.0f;
    params.ScanWidth = 12.0f;
    TMemoryStream file;
    file.WriteString("Slowest");
    params.Write(file);
    SaveJPEGToStream(TBitmap32(100, 50, clWhite32), file, 25);
    const std::vector<uint8_t> bytes = file.Bytes();
    state.SetLabel("Length " + std::to_string(params.Length) + ", Gain 40, ScanWidth 12, PolyStep 0");
    for (auto _ : state) {
        RandSeed = 0;
        TMemoryStream in(bytes);
        TGStyle style;
        style.LoadFromStream(in);
        benchmark::DoNotOptimize(style.GetPreview().Bits());
    }
}
BENCHMARK(BM_LoadSlowestAcceptedStyle)->Arg(300)->Arg(3)->Unit(benchmark::kMillisecond);

// A style file of a few hundred bytes whose preview's header declares
// 8000 x 4000 pixels: read, and the preview the style then holds.
void BM_LoadStyleWithOversizedPreview(benchmark::State& state)
{
    TMemoryStream jpeg;
    SaveJPEGToStream(TBitmap32(TGStyle::PreviewWidth, TGStyle::PreviewHeight, clWhite32), jpeg, 25);
    std::vector<uint8_t> preview = jpeg.Bytes();
    for (size_t i = 2; i + 8 < preview.size(); ++i)
        if (preview[i] == 0xFF && preview[i + 1] == 0xC0) {
            preview[i + 5] = 4000 >> 8, preview[i + 6] = 4000 & 0xFF;
            preview[i + 7] = 8000 >> 8, preview[i + 8] = 8000 & 0xFF;
            break;
        }
    TMemoryStream file;
    file.WriteString("Hostile");
    TStyleParams{}.Write(file);
    file.WriteBuffer(preview.data(), static_cast<int64_t>(preview.size()));
    const std::vector<uint8_t> bytes = file.Bytes();
    int64_t peak = 0, pixels = 0;
    for (auto _ : state) {
        const int64_t base = bench::ResetPeak();
        TMemoryStream in(bytes);
        TGStyle style;
        style.LoadFromStream(in);
        peak = std::max<int64_t>(peak, bench::heapPeak - base);
        state.PauseTiming();
        style.UpdateLock = true;  // the preview as loaded, not redrawn
        pixels = int64_t(style.GetPreview().Width()) * style.GetPreview().Height();
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = double(bytes.size());
    state.counters["preview_px"] = double(pixels);
    state.counters["peak_heap_kb"] = double(peak) / 1024.0;
}
BENCHMARK(BM_LoadStyleWithOversizedPreview)->Unit(benchmark::kMicrosecond);

} // namespace

#include "GuiMain.h"
