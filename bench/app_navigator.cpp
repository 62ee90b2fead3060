// The navigator's refresh, which runs every second while it is shown: the
// whole result reduced into the overview, at the sizes a document reaches.
#include "app/dialogs/Navigator.h"

#include "gfx/ImageView.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

void BM_NavigatorRefresh(benchmark::State& state)
{
    const int w = int(state.range(0)), h = int(state.range(1));
    TBitmap32 result(w, h, 0xFFFFFFFFu);
    for (int y = 0; y < h; y += 7) result.FillRect(0, y, w, y + 1, 0xFF203040u);
    TImageView dest;
    dest.SetBitmap(&result);
    dest.SetViewportSize(800, 600);
    TFNavigator navigator;
    navigator.SetDestView(&dest);
    navigator.show();
    for (auto _ : state) {
        navigator.UpdateView();
        benchmark::DoNotOptimize(navigator.Overview().Pixel(0, 0));
    }
    state.counters["result_px"] = double(w) * h;
    dest.SetBitmap(nullptr);
}
BENCHMARK(BM_NavigatorRefresh)->Args({1000, 500})->Args({1024, 1024})->Args({4000, 3000})->Unit(benchmark::kMicrosecond);

} // namespace

#include "WidgetMain.h"
