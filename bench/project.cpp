// A 1-megapixel project of 20,000 strokes in 10 steps: saving and loading
// it, re-rendering it at 1x and 2x, and exporting it as PostScript.
#include "RandomSteps.h"

#include "gfx/Stream.h"

#include <benchmark/benchmark.h>

namespace {

// One drawn document shared by the benchmarks of this program.
struct TProjectFixture : bench::TBenchDrawing {
    TProjectFixture() : TBenchDrawing(1024)
    {
        // About 2,000 strokes a step: a few points find no stroke.
        DrawRandomSteps(10, 2050);
        // Saving always merges the history first, as the program does.
        doc->Compact();
    }
};

TProjectFixture& Fixture()
{
    static TProjectFixture fixture;
    return fixture;
}

} // namespace

static void BM_SaveProject(benchmark::State& state)
{
    TProjectFixture& f = Fixture();
    const std::string file = f.programFolder + "bench.ovk";
    for (auto _ : state) {
        TFileStream out(file, TFileStream::Mode::Create);
        f.doc->SaveToStream(out);
        out.Close();
    }
    state.counters["strokes"] = double(f.doc->StrokeCount());
}
BENCHMARK(BM_SaveProject)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_LoadProject(benchmark::State& state)
{
    TProjectFixture& f = Fixture();
    const std::string file = f.programFolder + "bench.ovk";
    {
        TFileStream out(file, TFileStream::Mode::Create);
        f.doc->SaveToStream(out);
        out.Close();
    }
    TBitmap32 source, dest;
    TImageView sourceView, destView;
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    for (auto _ : state) {
        TFileStream in(file, TFileStream::Mode::OpenRead);
        auto read = TDualImage::CreateFromStream(in, sourceView, destView, 1.0f);
        benchmark::DoNotOptimize(read.get());
    }
}
BENCHMARK(BM_LoadProject)->Unit(benchmark::kMillisecond)->Iterations(5);

static void BM_Rerender(benchmark::State& state)
{
    TProjectFixture& f = Fixture();
    const int32_t scale = static_cast<int32_t>(state.range(0));
    TBitmap32 target(1024 * scale, 1024 * scale);
    for (auto _ : state) {
        target.Clear(clWhite32);
        f.doc->RenderAll(target, scale);
    }
}
BENCHMARK(BM_Rerender)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(3);

static void BM_ExportPostScript(benchmark::State& state)
{
    TProjectFixture& f = Fixture();
    for (auto _ : state) f.doc->ExportPostScript(f.programFolder + "bench.ps");
}
BENCHMARK(BM_ExportPostScript)->Unit(benchmark::kMillisecond)->Iterations(3);
