// The one process-wide pseudo-random generator. Every random draw of the
// program goes through Random(), in a fixed order, so that a drawing is
// reproducible stroke for stroke from the same seed.
#pragma once

#include <cstdint>

// 0 at start; the program never reseeds it (tests may set it).
extern uint32_t RandSeed;

// Advances the seed (seed * 134775813 + 1) and returns the upper 32 bits of
// seed * n: 0 <= result < n, and 0 for n == 0 (the seed still advances).
inline int32_t Random(int32_t n)
{
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<int32_t>((static_cast<uint64_t>(RandSeed) * static_cast<uint32_t>(n)) >> 32);
}
