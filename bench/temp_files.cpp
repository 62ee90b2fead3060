// Where the user waits on the temporary files: Purge Undo (every step's
// stroke list merged into one, the rest deleted), Close (the document and its
// whole history let go while the program goes on) and the end of a run (the
// temporary-file manager's clean-up, then the document, in the order the
// program ends). Each step is a short drag, 25 strokes within 48 pixels, at
// a random place of a 512 x 512 picture; with "swap", the idle swapping of one old step follows each, as
// between drags. The cost of a long history should grow with its length, not
// its square. The program folder is made beside the build, on the disk the
// program itself would use.
#include "GuiMain.h"
#include "RandomSteps.h"

#include <filesystem>
#include <memory>

namespace {

constexpr int32_t Side = 512;
constexpr int StrokesPerStep = 25;
constexpr int32_t DragReach = 48;

// A program folder beside the build with its manager and a document of
// `steps` steps.
struct TSession : bench::TBenchDrawing {
    TSession(int steps, bool swapEach)
        : TBenchDrawing(Side, QString::fromStdString(std::filesystem::canonical("/proc/self/exe").parent_path().string() +
                                                     "/temp-files-XXXXXX"))
    {
        DrawRandomSteps(steps, StrokesPerStep, swapEach, DragReach);
    }
};

// Times `what` on a session made anew, untimed, for each iteration.
template <typename F>
void OnFreshSessions(benchmark::State& state, F what)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto session = std::make_unique<TSession>(static_cast<int>(state.range(0)), state.range(1) != 0);
        state.ResumeTiming();
        what(*session);
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
}

void HistoryLengths(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"steps", "swap"})->Unit(benchmark::kMillisecond)->Iterations(3);
    for (const int swap : {0, 1})
        for (const int steps : {1000, 2000, 4000}) b->Args({steps, swap});
}

void BM_PurgeUndo(benchmark::State& state)
{
    OnFreshSessions(state, [](TSession& session) { session.doc->Compact(); });
}
BENCHMARK(BM_PurgeUndo)->Apply(HistoryLengths);

void BM_Close(benchmark::State& state)
{
    OnFreshSessions(state, [](TSession& session) { session.doc.reset(); });
}
BENCHMARK(BM_Close)->Apply(HistoryLengths);

void BM_EndOfARun(benchmark::State& state)
{
    OnFreshSessions(state, [](TSession& session) {
        session.temp.reset();
        SetTempManager(nullptr);
        session.doc.reset();
    });
}
BENCHMARK(BM_EndOfARun)->Args({200, 1})->ArgNames({"steps", "swap"})->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace
