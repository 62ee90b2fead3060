// TColorSwatches: the ten colour swatches of the colour panel's "Variants"
// page, kept apart from their widgets. Picks fill the swatches round robin
// from swatch 0, so the filled ones always form a run from 0 and the
// document's colour list is that run, in swatch order.
#pragma once

#include "gfx/Color32.h"

#include <array>
#include <cstdint>
#include <optional>

class TDualImage;

class TColorSwatches {
public:
    static constexpr int32_t Count = 10;

    // Fills swatch `index` with an opaque `color`; outside 0..9 raises
    // EngineError "Index out of bounds".
    void SetSwatchColor(int32_t index, TColor32 color);
    // The colour of a filled swatch; an empty swatch or an index outside 0..9
    // raises EngineError "Index out of bounds".
    TColor32 GetSwatchColor(int32_t index) const;
    // Whether swatch `index` is filled (false outside 0..9).
    bool IsFilled(int32_t index) const;
    // The last filled swatch plus one, 0 when all are empty.
    int32_t SwatchCount() const;

    // A pick: fills NextSwatch, then moves it on, wrapping after the tenth.
    void Pick(TColor32 color);
    int32_t NextSwatch() const { return nextSwatch_; }

    // Empties every swatch and starts the picks at swatch 0 again.
    void Reset();

    // The document's colour list := the filled run, each colour opaque.
    void StoreTo(TDualImage& document) const;
    // Swatches := the document's colour list (at most ten colours); the rest
    // become empty. NextSwatch is kept.
    void LoadFrom(const TDualImage& document);

private:
    std::array<std::optional<TColor32>, Count> swatches_{};
    int32_t nextSwatch_ = 0;
};
