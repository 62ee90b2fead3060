#include "controls/ImageListViewer.h"

#include "controls/ImageList.h"

#include <QPainter>

namespace {

// Outlines [left, right) x [top, bottom) one pixel wide: the right and bottom
// edges lie inside the rectangle, as every outline of this grid does.
void FrameRect(QPainter& painter, int32_t left, int32_t top, int32_t right, int32_t bottom, const QColor& color)
{
    painter.setPen(QPen(color, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

}  // namespace

TImageListViewer::TImageListViewer(QWidget* parent)
    : TThumbGrid(parent), color_(palette().color(QPalette::Base))
{
    SetAreaColor(color_);
}

TImageListViewer::~TImageListViewer() { Detach(); }

void TImageListViewer::SetImageList(TImageList* list)
{
    Detach();
    list_ = list;
    if (list) {
        changeLink_ = connect(list, &TImageList::Change, this, [this] { ListChanged(); });
        destroyedLink_ = connect(list, &QObject::destroyed, this, [this] {
            Detach();
            Relayout();
        });
        SetThumbSize(list->Width(), list->Height());
        return;
    }
    Relayout();
}

void TImageListViewer::SetColor(const QColor& color)
{
    if (color == color_) return;
    color_ = color;
    SetAreaColor(color);
    Relayout();
}

int32_t TImageListViewer::ThumbCount() const { return list_ ? list_->Count() : 0; }

void TImageListViewer::Detach()
{
    disconnect(changeLink_);
    disconnect(destroyedLink_);
    list_ = nullptr;
}

void TImageListViewer::ListChanged()
{
    SetSelected(0);
    Relayout();
    Canvas()->repaint();
}

void TImageListViewer::PaintGrid(QImage& canvas, const TThumbGridLayout& layout)
{
    const int32_t tw = layout.Geometry.ThumbWidth;
    const int32_t th = layout.Geometry.ThumbHeight;
    QPainter painter(&canvas);
    painter.fillRect(canvas.rect(), color_);
    DrawSelection(painter, layout);
    for (int32_t i = 0; i < layout.Count; ++i) {
        const TThumbCell cell = ThumbCellAt(layout, i);
        painter.drawImage(QRect(cell.X, cell.Y, tw, th), list_->Image(i));
        FrameRect(painter, cell.X, cell.Y, cell.X + tw, cell.Y + th, Qt::black);
    }
}

// Drawn before the thumbnails, so with a margin below 2 the frame lies
// under the selected thumbnail and is hidden by it.
void TImageListViewer::DrawSelection(QPainter& painter, const TThumbGridLayout& layout) const
{
    const int32_t half = layout.Geometry.Margin / 2;
    const TThumbCell cell = ThumbCellAt(layout, Selected());
    FrameRect(painter, cell.X - half, cell.Y - half, cell.X + layout.Geometry.ThumbWidth + half,
              cell.Y + layout.Geometry.ThumbHeight + half, QColor(0, 0, 255));
}
