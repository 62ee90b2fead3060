// Undo steps drawn as a user's drags would draw them: strokes placed at
// random points of the document's picture, one step at a time.
#pragma once

#include "engine/DualImage.h"
#include "gfx/Random.h"

namespace bench {

// `steps` steps of `strokes` placements each over a `side` x `side` picture;
// with `swapEach`, the idle swapping of one old step follows each, as between
// drags. Some placements find no stroke.
inline void DrawRandomSteps(TDualImage& doc, int32_t side, int steps, int strokes, bool swapEach = false)
{
    for (int step = 0; step < steps; ++step) {
        doc.BeginState();
        for (int i = 0; i < strokes; ++i) {
            const int32_t x = Random(side);
            doc.PlaceStrokeAt(x, Random(side));
        }
        doc.EndState();
        if (swapEach) doc.CompressOneState();
    }
}

} // namespace bench
