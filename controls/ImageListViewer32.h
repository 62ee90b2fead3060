// TImageListViewer32: a thumbnail grid of 32-bit bitmaps (the brush pictures
// in the main window). Each bitmap is stretched onto a cell of the grid's
// colour; the selected one is darkened by a highlight colour. The grid does
// not watch its list: after changing the bitmaps, the owner calls Rebuild
// (or writes a property, or resizes the grid).
#pragma once

#include "controls/ThumbGrid.h"
#include "gfx/Bitmap32.h"

#include <QColor>
#include <QPointer>

class TBitmap32List;

// Darkens every pixel channel by channel: c := max(c + highlight_c - 255, 0),
// and makes it opaque. White leaves the colours as they are.
void HighlightThumb(TBitmap32& bitmap, TColor32 highlight);

class TImageListViewer32 : public TThumbGrid {
public:
    explicit TImageListViewer32(QWidget* parent = nullptr);

    // Not owned. While neither thumbnail size is set (both below 1), setting
    // a list takes the size of its first bitmap. nullptr, or a list that is
    // destroyed, leaves the grid with no list.
    TBitmap32List* ImageList() const { return list_; }
    void SetImageList(TBitmap32List* list);

    // The background of the grid and of every thumbnail, and the highlight of
    // the selected one. Written as window colours and stored opaque; writing
    // the colour a property already has does not rebuild.
    QColor Color() const;
    void SetColor(const QColor& color);
    QColor ColorSelected() const;
    void SetColorSelected(const QColor& color);

    void Rebuild() { Relayout(); }

protected:
    int32_t ThumbCount() const override;
    void PaintGrid(QImage& canvas, const TThumbGridLayout& layout) override;

private:
    TBitmap32 Thumb(int32_t index, const TThumbGridGeometry& geometry) const;

    QPointer<TBitmap32List> list_;
    // Transparent black until the owner writes its colours.
    TColor32 color_ = clTransparent32;
    TColor32 colorSelected_ = clTransparent32;
};
