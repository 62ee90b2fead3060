// A brush that follows the hand: a 2-second drag of the pattern or auto tool
// at 120 move events a second (240 moves) over a 1-megapixel document, each
// move's strokes placed through the tool manager and both views repainted
// at a window's size. Reports the mean, 95th-percentile and worst time of one
// move; the target is under 8 ms.
#include "BenchSupport.h"
#include "GuiMain.h"

#include "app/tools/ToolManager.h"
#include "engine/DualImage.h"
#include "engine/Patterns.h"
#include "engine/PersistentObjectManager.h"
#include "engine/Styles.h"
#include "engine/TempManager.h"
#include "gfx/ImageView.h"

#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <vector>

namespace {

constexpr int MovesPerDrag = 240;
constexpr int32_t Side = 1024;

double Percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * double(v.size())))];
}

} // namespace

static void BM_SprayDrag(benchmark::State& state)
{
    QTemporaryDir folder;
    TTempManager temp(folder.path().toStdString() + "/");
    SetTempManager(&temp);
    TBitmap32 source = bench::PhotoLikePicture(Side, Side);
    TBitmap32 dest(Side, Side, clWhite32);
    TImageView sourceView, destView;
    for (TImageView* v : {&sourceView, &destView}) v->SetViewportSize(800, 600);
    sourceView.SetBitmap(&source);
    destView.SetBitmap(&dest);
    // The default patterns lie beside the build.
    const std::string programFolder =
        std::filesystem::canonical("/proc/self/exe").parent_path().parent_path().string() + "/";
    TPersistentObjectManager patterns(TPattern::StaticClass(), programFolder);
    if (patterns.Count() == 0) {
        state.SkipWithError("no pattern files beside the build");
        return;
    }
    TGStyle style;
    TDualImage doc(sourceView, destView, 1.0f);
    doc.SetStyle(&style);
    doc.PatternManager = &patterns;
    TToolManager tools(doc);
    tools.SetTool(static_cast<int32_t>(state.range(0)));
    state.SetLabel(state.range(0) == tnAuto ? "auto" : "pattern");

    std::vector<double> moveMs;
    for (auto _ : state) {
        state.PauseTiming();
        RandSeed = 0;
        state.ResumeTiming();
        // Across the picture's middle, about 600 pixels in two seconds.
        sourceView.MouseDown(TMouseButton::mbLeft, ssLeft, 200, 300);
        for (int i = 1; i <= MovesPerDrag; ++i) {
            const auto start = std::chrono::steady_clock::now();
            sourceView.MouseMove(ssLeft, 200 + i * 600 / MovesPerDrag, 300 + i * 400 / MovesPerDrag);
            sourceView.Render();
            destView.Render();
            moveMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
        }
        sourceView.MouseUp(TMouseButton::mbLeft, 0, 800, 700);
        state.PauseTiming();
        state.counters["strokes"] = double(doc.StrokeCount());
        doc.Undo();
        state.ResumeTiming();
    }
    double sum = 0;
    for (double ms : moveMs) sum += ms;
    state.counters["move_mean_ms"] = sum / double(moveMs.size());
    state.counters["move_p95_ms"] = Percentile(moveMs, 0.95);
    state.counters["move_max_ms"] = Percentile(moveMs, 1.0);
    SetTempManager(nullptr);
}
BENCHMARK(BM_SprayDrag)->Arg(tnPattern)->Arg(tnAuto)->Unit(benchmark::kMillisecond)->Iterations(3);
