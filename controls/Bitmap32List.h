// TBitmap32List: an owned list of 32-bit bitmaps (the stroke renderers' brush
// pictures, for one) that a thumbnail grid shows. It does not report changes:
// its owner rebuilds the grid. Viewers hold it by QPointer, so a list that
// goes away is seen as no list.
#pragma once

#include "gfx/Bitmap32.h"

#include <QObject>

#include <cstdint>
#include <memory>
#include <vector>

class TBitmap32List : public QObject {
public:
    explicit TBitmap32List(QObject* parent = nullptr) : QObject(parent) {}

    int32_t Count() const { return static_cast<int32_t>(bitmaps_.size()); }
    // An index outside 0..Count-1 raises EngineError.
    TBitmap32& Bitmap(int32_t index);
    const TBitmap32& Bitmap(int32_t index) const;

    // Appends an empty bitmap, or a copy of `bitmap`, and returns it.
    TBitmap32& Add();
    TBitmap32& Add(const TBitmap32& bitmap);
    void Delete(int32_t index);
    void Clear() { bitmaps_.clear(); }

private:
    void CheckIndex(int32_t index) const;

    std::vector<std::unique_ptr<TBitmap32>> bitmaps_;
};
