// Shared by the benchmark programs (each includes this once): a
// photograph-like test picture and a counter of the heap's peak use.
#pragma once

#include "gfx/Bitmap32.h"
#include "gfx/Random.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

namespace bench {

inline std::atomic<int64_t> heapNow{0};
inline std::atomic<int64_t> heapPeak{0};

// Starts measuring the peak above what is allocated now.
inline int64_t ResetPeak()
{
    heapPeak = heapNow.load();
    return heapNow.load();
}

// Smooth gradients, soft and hard-edged shapes and grain: enough structure
// for directions and edges everywhere, like a photograph.
inline TBitmap32 PhotoLikePicture(int32_t width, int32_t height)
{
    TBitmap32 pic(width, height);
    const uint32_t saved = RandSeed;
    RandSeed = 12345;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const double u = double(x) / width, v = double(y) / height;
            double r = 120 + 80 * std::sin(u * 9 + v * 3), g = 110 + 70 * std::cos(v * 7 - u * 2);
            double b = 100 + 60 * std::sin((u + v) * 5);
            const double dx = u - 0.5, dy = v - 0.45;
            if (dx * dx + dy * dy < 0.05) { r *= 0.4; g *= 0.5; b *= 0.7; }  // a dark disc
            if (u > 0.7 && v > 0.6) { r = 230; g = 220; b = 190; }           // a bright block
            const int grain = Random(17) - 8;
            auto ch = [grain](double c) { return uint8_t(std::clamp(int(c) + grain, 0, 255)); };
            pic.Pixel(x, y) = Color32(ch(r), ch(g), ch(b));
        }
    }
    RandSeed = saved;
    return pic;
}

} // namespace bench

void* operator new(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    const int64_t now = bench::heapNow += static_cast<int64_t>(malloc_usable_size(p));
    int64_t peak = bench::heapPeak.load();
    while (now > peak && !bench::heapPeak.compare_exchange_weak(peak, now)) {}
    return p;
}

void operator delete(void* p) noexcept
{
    if (!p) return;
    bench::heapNow -= static_cast<int64_t>(malloc_usable_size(p));
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept { operator delete(p); }
