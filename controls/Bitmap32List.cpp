#include "controls/Bitmap32List.h"

#include "gfx/Errors.h"

#include <string>

TBitmap32& TBitmap32List::Bitmap(int32_t index)
{
    CheckIndex(index);
    return *bitmaps_[static_cast<size_t>(index)];
}

const TBitmap32& TBitmap32List::Bitmap(int32_t index) const
{
    CheckIndex(index);
    return *bitmaps_[static_cast<size_t>(index)];
}

TBitmap32& TBitmap32List::Add()
{
    return *bitmaps_.emplace_back(std::make_unique<TBitmap32>());
}

TBitmap32& TBitmap32List::Add(const TBitmap32& bitmap)
{
    return *bitmaps_.emplace_back(std::make_unique<TBitmap32>(bitmap));
}

void TBitmap32List::Delete(int32_t index)
{
    CheckIndex(index);
    bitmaps_.erase(bitmaps_.begin() + index);
}

void TBitmap32List::CheckIndex(int32_t index) const
{
    if (index < 0 || index >= Count())
        throw EngineError("TBitmap32List.GetBitmap: Index out of bounds(" + std::to_string(index) + ")");
}
