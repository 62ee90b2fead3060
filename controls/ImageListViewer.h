// TImageListViewer: a thumbnail grid of an image list (the patterns in the
// main window). Each picture is stretched into its cell and outlined in
// black; the selected one is framed in blue. The grid follows every change
// of its list and selects the first thumbnail again when the list changes.
#pragma once

#include "controls/ThumbGrid.h"

#include <QColor>
#include <QPointer>

class QPainter;
class TImageList;

class TImageListViewer : public TThumbGrid {
public:
    explicit TImageListViewer(QWidget* parent = nullptr);
    ~TImageListViewer() override;

    // Not owned. Setting a list takes its picture size as the thumbnail size;
    // nullptr, or a list that is destroyed, leaves the grid with no list.
    TImageList* ImageList() const { return list_; }
    void SetImageList(TImageList* list);

    // The grid's background, the system window colour at first.
    QColor Color() const { return color_; }
    void SetColor(const QColor& color);

protected:
    int32_t ThumbCount() const override;
    void PaintGrid(QImage& canvas, const TThumbGridLayout& layout) override;

private:
    void Detach();
    void ListChanged();
    void DrawSelection(QPainter& painter, const TThumbGridLayout& layout) const;

    QPointer<TImageList> list_;
    QMetaObject::Connection changeLink_;
    QMetaObject::Connection destroyedLink_;
    QColor color_;
};
