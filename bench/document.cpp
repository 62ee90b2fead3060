// A whole drawing: 5,000 strokes at random points of a 1-megapixel picture
// in one undo step, recorded and drawn with the default style; time and the
// heap's growth beyond the pictures.
#include "BenchSupport.h"
#include "tools/DefaultBrushes.h"

#include "engine/BitmapBrushStrokeRenderer.h"
#include "engine/DualImage.h"
#include "engine/PersistentObjectManager.h"
#include "engine/StrokeRenderer.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "gfx/ImageView.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <filesystem>

// Brush files store no name: a row is told apart by the default brush's
// title, or by its file when the brush is not one of the defaults.
static std::string RendererLabel(const TPersistentObject& renderer)
{
    if (!renderer.Name().empty()) return renderer.Name();
    if (renderer.FileName().empty()) return "polygon";
    const std::filesystem::path file(renderer.FileName());
    for (const defaults::TBrushDesign& brush : defaults::DefaultBrushes())
        if (brush.FileName == file.filename().string()) return brush.Title;
    return file.stem().string();
}

static void BM_DrawRun(benchmark::State& state)
{
    QTemporaryDir folder;
    TTempManager temp(folder.path().toStdString() + "/");
    SetTempManager(&temp);
    TBitmap32 source = bench::PhotoLikePicture(1024, 1024);
    TBitmap32 dest(1024, 1024, clWhite32);
    TImageView sourceView, destView;
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    TGStyle style;
    TDualImage doc(sourceView, destView, 1.0f);
    doc.SetStyle(&style);
    doc.SetAutoMode(true);
    // Range 0: the polygon renderer; 1..: the default brushes beside the build.
    const std::string programFolder =
        std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().string() + "/";
    TPersistentObjectManager brushes(TBitmapBrushStrokeRenderer::BrushClass(), programFolder);
    brushes.InsertFirst(std::make_unique<TPolygonStrokeRenderer>());
    if (state.range(0) >= brushes.Count()) {
        state.SkipWithError("no such brush beside the build");
        return;
    }
    brushes.SetItemIndex(static_cast<int32_t>(state.range(0)));
    doc.RendererManager = &brushes;
    state.SetLabel(RendererLabel(*brushes.Current()));

    int64_t peak = 0, strokes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        dest.Clear(clWhite32);
        RandSeed = 0;
        const int64_t base = bench::ResetPeak();
        state.ResumeTiming();
        doc.BeginState();
        for (int i = 0; i < 5000; ++i) {
            const int32_t x = Random(1024);
            doc.PlaceStrokeAt(x, Random(1024));
        }
        doc.EndState();
        state.PauseTiming();
        peak = std::max<int64_t>(peak, bench::heapPeak - base);
        strokes = doc.StrokeCount();
        doc.Undo();
        state.ResumeTiming();
    }
    state.counters["strokes"] = double(strokes);
    state.counters["peak_heap_MB"] = double(peak) / (1024.0 * 1024.0);
    SetTempManager(nullptr);
}
BENCHMARK(BM_DrawRun)->Arg(0)->Arg(1)->Arg(3)->Unit(benchmark::kMillisecond)->Iterations(5);
