// Where the user waits on the temporary files: Purge Undo of a 200-step
// history (every step's stroke list merged into one, the rest deleted) and
// the end of a run after 200 steps (the temporary-file manager's clean-up,
// then the document, in the order the program ends). Each step is a short
// drag of 25 strokes over a 512 x 512 picture, followed by the idle swapping
// of one old step, as between drags. The program folder is made beside the
// build, on the disk the program itself would use.
#include "GuiMain.h"
#include "RandomSteps.h"

#include <filesystem>
#include <memory>

namespace {

constexpr int32_t Side = 512;
constexpr int Steps = 200;
constexpr int StrokesPerStep = 25;

// A program folder beside the build with its manager and a document of
// `Steps` steps.
struct TSession : bench::TBenchDrawing {
    TSession()
        : TBenchDrawing(Side, QString::fromStdString(std::filesystem::canonical("/proc/self/exe").parent_path().string() +
                                                     "/temp-files-XXXXXX"))
    {
        DrawRandomSteps(Steps, StrokesPerStep, true);
    }
};

void BM_PurgeUndoOf200Steps(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<TSession>();
        state.ResumeTiming();
        session->doc->Compact();
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PurgeUndoOf200Steps)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_EndOfARunAfter200Steps(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<TSession>();
        state.ResumeTiming();
        session->temp.reset();
        SetTempManager(nullptr);
        session->doc.reset();
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_EndOfARunAfter200Steps)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
