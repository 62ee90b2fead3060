// The peak memory of Save at different size past the bitmap it renders into:
// a 16000 x 16000 result (976 MB of pixels), white or noise, saved as each
// kind of result file. The size check before rendering counts the bitmap and
// the costliest writer; the counter peak_B_per_px is what the process really
// took at its peak, in bytes per pixel of the picture (4 of them the bitmap's).
#include "app/domain/ResultImage.h"
#include "gfx/Bitmap32.h"
#include "gfx/Random.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include <cstdlib>
#include <fstream>
#include <string>

namespace {

constexpr int32_t Side = 16000;

// In kB, from the kernel's own count: the writers allocate through malloc
// (Qt, libtiff) as well as through new.
long StatusField(const char* name)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(name, 0) == 0) return std::atol(line.c_str() + std::string(name).size());
    return -1;
}

void ResetPeakRss() { std::ofstream("/proc/self/clear_refs") << "5"; }

void SaveAtSize(benchmark::State& state, const char* name, bool noise)
{
    QTemporaryDir dir;
    const std::string fileName = dir.path().toStdString() + "/" + name;
    double peakBytes = 0;
    for (auto _ : state) {
        ResetPeakRss();
        const long before = StatusField("VmRSS:");
        {
            TBitmap32 result;
            result.SetSize(Side, Side);
            result.Clear(clWhite32);
            if (noise) {
                RandSeed = 1;
                TColor32* p = result.Bits();
                for (size_t i = 0, n = size_t(Side) * Side; i < n; ++i) p[i] = TColor32(Random(0x7FFFFFFF)) * 2654435761u;
            }
            SaveResultImage(result, fileName, 200.0);
        }
        peakBytes = double(StatusField("VmHWM:") - before) * 1024;
    }
    state.counters["peak_MB"] = peakBytes / (1 << 20);
    state.counters["peak_B_per_px"] = peakBytes / (double(Side) * Side);
}

void BM_SaveAtSizeJpegWhite(benchmark::State& s) { SaveAtSize(s, "r.jpg", false); }
void BM_SaveAtSizeJpegNoise(benchmark::State& s) { SaveAtSize(s, "r.jpg", true); }
void BM_SaveAtSizeBmpWhite(benchmark::State& s) { SaveAtSize(s, "r.bmp", false); }
void BM_SaveAtSizeBmpNoise(benchmark::State& s) { SaveAtSize(s, "r.bmp", true); }
void BM_SaveAtSizeTiffWhite(benchmark::State& s) { SaveAtSize(s, "r.tif", false); }
void BM_SaveAtSizeTiffNoise(benchmark::State& s) { SaveAtSize(s, "r.tif", true); }

BENCHMARK(BM_SaveAtSizeJpegWhite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveAtSizeJpegNoise)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveAtSizeBmpWhite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveAtSizeBmpNoise)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveAtSizeTiffWhite)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SaveAtSizeTiffNoise)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

#include "GuiMain.h"
