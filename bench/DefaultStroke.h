// A line sampler set up as the document sets one up for the default style:
// length 40 with its draw, gain 12, scan width 2, poly step 12, at (X, Y),
// not stopping on edges, taking the guide direction where the map is weak.
#pragma once

#include "engine/LineSampler.h"
#include "gfx/Random.h"

namespace bench {

inline void ConfigureDefaultStroke(TLineSampler& s, int32_t x, int32_t y, TByteDirection guide)
{
    s.SetScale(1.0f);
    s.SetPolyStep(12);
    s.SetStart({x, y});
    s.SetLength(40 + Random(40 / 10) - 40 / 20);
    s.SetGain(12.0f);
    s.SetScanWidth(2.0f);
    s.StopAtEdges = false;
    s.SetThreshold(0);
    s.SetOnGetDirection([guide](int32_t, int32_t, TByteDirection& d) { d = guide; });
}

} // namespace bench
