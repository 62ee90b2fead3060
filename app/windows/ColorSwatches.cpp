#include "app/windows/ColorSwatches.h"

#include "engine/DualImage.h"
#include "gfx/Errors.h"

#include <algorithm>

namespace {

bool InRange(int32_t index) { return index >= 0 && index < TColorSwatches::Count; }

[[noreturn]] void IndexError() { throw EngineError("Index out of bounds"); }

} // namespace

void TColorSwatches::SetSwatchColor(int32_t index, TColor32 color)
{
    if (!InRange(index)) IndexError();
    // A swatch shows a window colour, which has no alpha.
    swatches_[static_cast<size_t>(index)] = SetAlpha(color, 255);
}

TColor32 TColorSwatches::GetSwatchColor(int32_t index) const
{
    if (!IsFilled(index)) IndexError();
    return *swatches_[static_cast<size_t>(index)];
}

bool TColorSwatches::IsFilled(int32_t index) const
{
    return InRange(index) && swatches_[static_cast<size_t>(index)].has_value();
}

int32_t TColorSwatches::SwatchCount() const
{
    for (int32_t i = Count - 1; i >= 0; --i)
        if (IsFilled(i)) return i + 1;
    return 0;
}

void TColorSwatches::Pick(TColor32 color)
{
    SetSwatchColor(nextSwatch_, color);
    nextSwatch_ = (nextSwatch_ + 1) % Count;
}

void TColorSwatches::Reset()
{
    swatches_.fill(std::nullopt);
    nextSwatch_ = 0;
}

void TColorSwatches::StoreTo(TDualImage& document) const
{
    document.ClearPalette();
    const int32_t count = SwatchCount();
    for (int32_t i = 0; i < count; ++i) document.AddPaletteColor(GetSwatchColor(i));
}

// A colour list longer than the swatches (a document filled by other means)
// shows its first ten colours rather than running past the last swatch.
void TColorSwatches::LoadFrom(const TDualImage& document)
{
    const int32_t filled = std::min(document.PaletteCount(), Count);
    for (int32_t i = 0; i < Count; ++i) {
        if (i < filled)
            SetSwatchColor(i, document.GetPaletteColor(i));
        else
            swatches_[static_cast<size_t>(i)].reset();
    }
}
