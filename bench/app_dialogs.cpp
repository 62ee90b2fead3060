// The shell's dialogs on the hot paths: what the apply dialog adds to each
// placed stroke, what the progress window costs a long loop of steps, and
// what drawing the embedded artwork adds to start-up.
#include "app/GlobalConfig.h"
#include "app/dialogs/ApplyAllDialog.h"
#include "app/dialogs/WaitWindow.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCoreApplication>

namespace {

// 5000 recorded steps with events pumped after each, as the apply run does,
// without the strokes themselves.
void BM_ApplyDialogFiveThousandSteps(benchmark::State& state)
{
    TFApplyAll dialog;
    dialog.show();
    for (auto _ : state) {
        dialog.SetSteps(5001); // the run stays open: no closing at the end
        for (int i = 1; i <= 5000; ++i) {
            dialog.Step(i);
            QCoreApplication::processEvents();
        }
    }
    state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_ApplyDialogFiveThousandSteps)->Unit(benchmark::kMillisecond);

// The same pumping with no dialog: the floor the dialog is measured against.
void BM_PumpOnlyFiveThousandTimes(benchmark::State& state)
{
    TFApplyAll dialog;
    dialog.show();
    for (auto _ : state)
        for (int i = 1; i <= 5000; ++i) QCoreApplication::processEvents();
    state.SetItemsProcessed(state.iterations() * 5000);
}
BENCHMARK(BM_PumpOnlyFiveThousandTimes)->Unit(benchmark::kMillisecond);

// A million steps through the progress window: about a hundred repaints.
void BM_WaitMillionSteps(benchmark::State& state)
{
    QWidget main;
    main.show();
    TFWait wait(&main);
    for (auto _ : state) {
        wait.Start(0, 1000000);
        for (int i = 0; i < 1000000; ++i) wait.Step();
        wait.Finish();
    }
    state.SetItemsProcessed(state.iterations() * 1000000);
}
BENCHMARK(BM_WaitMillionSteps)->Unit(benchmark::kMillisecond);

void BM_GlobalConfigCreate(benchmark::State& state)
{
    for (auto _ : state) {
        TdmGlobalConfig config;
        benchmark::DoNotOptimize(config.SplashBytes().data());
    }
}
BENCHMARK(BM_GlobalConfigCreate)->Unit(benchmark::kMillisecond);

} // namespace

#include "WidgetMain.h"
