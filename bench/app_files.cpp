// Saving a 1-megapixel result image the way the Save command does, file and
// all: as TIFF (target under 150 ms) and as JPEG (target under 100 ms); BMP
// for comparison. The picture is photograph-like, harder to compress than a
// drawing on white.
#include "BenchSupport.h"
#include "app/domain/ResultImage.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

void SaveAs(benchmark::State& state, const char* name)
{
    static const TBitmap32 result = bench::PhotoLikePicture(1024, 1024);
    QTemporaryDir dir;
    const std::string fileName = dir.path().toStdString() + "/" + name;
    for (auto _ : state) SaveResultImage(result, fileName, 200.0);
    state.SetBytesProcessed(int64_t(state.iterations()) * result.Width() * result.Height() * 4);
}

void BM_SaveResultTiff(benchmark::State& state) { SaveAs(state, "result.tif"); }
void BM_SaveResultJpeg(benchmark::State& state) { SaveAs(state, "result.jpg"); }
void BM_SaveResultBmp(benchmark::State& state) { SaveAs(state, "result.bmp"); }

BENCHMARK(BM_SaveResultTiff)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveResultJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveResultBmp)->Unit(benchmark::kMillisecond);

} // namespace

#include "GuiMain.h"
