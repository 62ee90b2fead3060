// The undo stack under a long session: 100 steps of 500 strokes each over a
// one-megapixel picture, the idle swapping after every step, then every step
// undone and redone. Reports the time of each undo and redo and the memory
// held, which should stay near three steps' before-images however long the
// history grows.
#include "BenchSupport.h"

#include "engine/GStates.h"
#include "engine/GTypes.h"
#include "engine/TempManager.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <chrono>
#include <cmath>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int32_t Side = 1024;
constexpr int Steps = 100;
constexpr int StrokesPerStep = 500;

double ResidentMB()
{
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

double HeapMB() { return double(bench::heapNow.load()) / (1024.0 * 1024.0); }

// A wandering stroke about 45 pixels long and 4 wide at a random place.
TStrokeRecord RandomStroke()
{
    TStrokeRecord s;
    double x = Random(Side), y = Random(Side), a = Random(6283) / 1000.0;
    for (int i = 0; i < 16; ++i) {
        const double nx = -std::sin(a) * 2, ny = std::cos(a) * 2;
        s.Left.push_back(FixedPoint(x + nx, y + ny));
        s.Right.push_back(FixedPoint(x - nx, y - ny));
        x += std::cos(a) * 3;
        y += std::sin(a) * 3;
        a += (Random(100) - 50) / 200.0;
    }
    s.Color = Color32(uint8_t(Random(128)), uint8_t(Random(128)), uint8_t(Random(128)));
    return s;
}

TRect StrokeBounds(const TStrokeRecord& s)
{
    TRect r{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (const auto* edge : {&s.Left, &s.Right})
        for (const TFixedPoint& p : *edge) {
            const int32_t x = p.X >> 16, y = p.Y >> 16;
            r = BoundingRect(r, {x - 1, y - 1, x + 2, y + 2});
        }
    return r;
}

// One step as the document records it: a state over both images, strokes
// drawn and recorded, the state closed with the dirty rectangle.
void RecordStep(TGStates& stack, TBitmap32& feature, TBitmap32& dest)
{
    auto state = std::make_unique<TGState>(feature, dest);
    TRect dirty{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int i = 0; i < StrokesPerStep; ++i) {
        const TStrokeRecord s = RandomStroke();
        state->Strokes().AddStroke(s);
        DrawStrokePolygon(s.Left, s.Right, dest, 1.0, s.Color);
        dirty = BoundingRect(dirty, StrokeBounds(s));
    }
    stack.CloseState(std::move(state), dirty);
}

struct TTimes {
    double total = 0, worst = 0;
    void Add(double ms) { total += ms, worst = std::max(worst, ms); }
};

template <typename Op>
double Milliseconds(Op&& op)
{
    const auto start = std::chrono::steady_clock::now();
    op();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void BM_UndoStackSession(benchmark::State& state)
{
    QTemporaryDir dir;
    TTempManager manager(dir.path().toStdString() + "/");
    SetTempManager(&manager);
    TBitmap32 feature = bench::PhotoLikePicture(Side, Side);
    for (int32_t i = 0; i < Side * Side; ++i) feature.Bits()[i] = SetAlpha(feature.Bits()[i], uint8_t(i * 7));
    TBitmap32 dest(Side, Side, clWhite32);

    for (auto _ : state) {
        TGStates stack;
        double heapAt10 = 0, heapMax = 0;
        for (int i = 0; i < Steps; ++i) {
            RecordStep(stack, feature, dest);
            stack.CompressOne();
            if (i == 9) heapAt10 = HeapMB();
            heapMax = std::max(heapMax, HeapMB());
        }
        const double heapAt100 = HeapMB(), residentAt100 = ResidentMB();

        TTimes undo, redo;
        for (int i = 0; i < Steps; ++i) {
            undo.Add(Milliseconds([&] { stack.UndoStep(feature, dest); }));
            stack.CompressOne();
            heapMax = std::max(heapMax, HeapMB());
        }
        for (int i = 0; i < Steps; ++i) {
            redo.Add(Milliseconds([&] { stack.Redo(feature, dest); }));
            stack.CompressOne();
            heapMax = std::max(heapMax, HeapMB());
        }
        state.counters["undo_ms_mean"] = undo.total / Steps;
        state.counters["undo_ms_worst"] = undo.worst;
        state.counters["redo_ms_mean"] = redo.total / Steps;
        state.counters["redo_ms_worst"] = redo.worst;
        state.counters["heap_MB_step10"] = heapAt10;
        state.counters["heap_MB_step100"] = heapAt100;
        state.counters["heap_MB_max"] = heapMax;
        state.counters["rss_MB_step100"] = residentAt100;
        state.counters["states_in_memory_MB"] = double(stack.MemorySize()) / (1024.0 * 1024.0);
    }
    SetTempManager(nullptr);
}
BENCHMARK(BM_UndoStackSession)->Iterations(1)->Unit(benchmark::kSecond);

// One full-picture step recorded over a scratch program folder, for timing
// its undo and redo on their own.
struct TOneStep {
    QTemporaryDir dir;
    TTempManager manager{dir.path().toStdString() + "/"};
    TBitmap32 feature = bench::PhotoLikePicture(Side, Side);
    TBitmap32 dest{Side, Side, clWhite32};
    TGStates stack;

    TOneStep()
    {
        SetTempManager(&manager);
        RecordStep(stack, feature, dest);
    }
    ~TOneStep() { SetTempManager(nullptr); }
};

// Undo and redo of one full-picture step whose images are on disk: the
// worst case of the session above, timed on its own.
void BM_UndoRedoSwappedFullStep(benchmark::State& state)
{
    TOneStep step;
    for (auto _ : state) {
        state.PauseTiming();
        step.stack.GetState(0).Compress();
        state.ResumeTiming();
        step.stack.Undo(step.feature, step.dest);
        state.PauseTiming();
        step.stack.GetState(0).Compress();
        state.ResumeTiming();
        step.stack.Redo(step.feature, step.dest);
    }
    state.SetLabel("one undo plus one redo, each reading its step back from disk");
}
BENCHMARK(BM_UndoRedoSwappedFullStep)->Unit(benchmark::kMillisecond);

// The same for a step whose images are still in memory (the newest three).
void BM_UndoRedoFullStepInMemory(benchmark::State& state)
{
    TOneStep step;
    for (auto _ : state) {
        step.stack.Undo(step.feature, step.dest);
        step.stack.Redo(step.feature, step.dest);
    }
    state.SetLabel("one undo plus one redo");
}
BENCHMARK(BM_UndoRedoFullStepInMemory)->Unit(benchmark::kMillisecond);

} // namespace

#include "GuiMain.h"
