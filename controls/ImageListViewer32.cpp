#include "controls/ImageListViewer32.h"

#include "controls/Bitmap32List.h"

#include <QPainter>

namespace {

TColor32 FromWindowColor(const QColor& color) { return Color32(color.red(), color.green(), color.blue()); }

QColor ToWindowColor(TColor32 color)
{
    return QColor(RedComponent(color), GreenComponent(color), BlueComponent(color));
}

// Stretches the whole of src over the whole of dst the way src asks to be
// drawn: copied or blended by its alpha and master alpha, with its filter.
void StretchOnto(TBitmap32& dst, const TBitmap32& src)
{
    if (src.Empty() || dst.Empty()) return;
    dst.Draw(dst.BoundsRect(), src.BoundsRect(), src);
}

uint8_t Darken(uint8_t channel, uint8_t highlight)
{
    const int value = channel + highlight - 255;
    return static_cast<uint8_t>(value > 0 ? value : 0);
}

}  // namespace

void HighlightThumb(TBitmap32& bitmap, TColor32 highlight)
{
    const uint8_t r = RedComponent(highlight), g = GreenComponent(highlight), b = BlueComponent(highlight);
    TColor32* pixel = bitmap.Bits();
    TColor32* const end = pixel + static_cast<size_t>(bitmap.Width()) * bitmap.Height();
    for (; pixel != end; ++pixel)
        *pixel = Color32(Darken(RedComponent(*pixel), r), Darken(GreenComponent(*pixel), g),
                         Darken(BlueComponent(*pixel), b));
}

TImageListViewer32::TImageListViewer32(QWidget* parent) : TThumbGrid(parent) { SetAreaColor(Color()); }

void TImageListViewer32::SetImageList(TBitmap32List* list)
{
    list_ = list;
    if (list && list->Count() > 0 && ThumbWidth() < 1 && ThumbHeight() < 1) {
        SetThumbSize(list->Bitmap(0).Width(), list->Bitmap(0).Height());
        return;
    }
    Relayout();
}

QColor TImageListViewer32::Color() const { return ToWindowColor(color_); }

void TImageListViewer32::SetColor(const QColor& color)
{
    const TColor32 value = FromWindowColor(color);
    if (value == color_) return;
    color_ = value;
    SetAreaColor(Color());
    Relayout();
}

QColor TImageListViewer32::ColorSelected() const { return ToWindowColor(colorSelected_); }

void TImageListViewer32::SetColorSelected(const QColor& color)
{
    const TColor32 value = FromWindowColor(color);
    if (value == colorSelected_) return;
    colorSelected_ = value;
    Relayout();
}

int32_t TImageListViewer32::ThumbCount() const { return list_ ? list_->Count() : 0; }

void TImageListViewer32::PaintGrid(QImage& canvas, const TThumbGridLayout& layout)
{
    canvas.fill(Color());
    QPainter painter(&canvas);
    for (int32_t i = 0; i < layout.Count; ++i) {
        TBitmap32 thumb = Thumb(i, layout.Geometry);
        const TThumbCell cell = ThumbCellAt(layout, i);
        painter.drawImage(cell.X, cell.Y, thumb.WrapAsImage());
    }
}

TBitmap32 TImageListViewer32::Thumb(int32_t index, const TThumbGridGeometry& geometry) const
{
    TBitmap32 thumb(geometry.ThumbWidth, geometry.ThumbHeight, color_);
    thumb.DrawMode = TDrawMode::dmBlend;
    StretchOnto(thumb, list_->Bitmap(index));
    if (index == Selected()) HighlightThumb(thumb, colorSelected_);
    return thumb;
}
