// TThumbGrid: the scrolling widget behind both thumbnail grids. It lays the
// thumbnails out row by row across its width, keeps the selection, scrolls
// vertically and reports presses and releases by thumbnail index; what a
// thumbnail looks like is up to the grid that derives from it.
#pragma once

#include "controls/ThumbGridLayout.h"

#include <QImage>
#include <QScrollArea>

#include <cstdint>
#include <functional>

// A press or release on a grid: the selected thumbnail and the point in grid pixels.
using TOnMouseThumb = std::function<void(int32_t Index, int32_t X, int32_t Y)>;

class TThumbGridCanvas;

class TThumbGrid : public QScrollArea {
public:
    explicit TThumbGrid(QWidget* parent = nullptr);
    ~TThumbGrid() override;

    // Both report the selected thumbnail, and only while the grid shows any:
    // a press that hits no thumbnail reports the selection it kept.
    TOnMouseThumb OnMouseDownThumb;
    TOnMouseThumb OnMouseUpThumb;

    int32_t Margin() const { return geometry_.Margin; }
    void SetMargin(int32_t value);
    int32_t ThumbWidth() const { return geometry_.ThumbWidth; }
    void SetThumbWidth(int32_t value);
    int32_t ThumbHeight() const { return geometry_.ThumbHeight; }
    void SetThumbHeight(int32_t value);
    // Both sizes at once, laid out once.
    void SetThumbSize(int32_t width, int32_t height);

    int32_t Selected() const { return selected_; }
    // Selects thumbnail `index` from code, so the frame or highlight shows the
    // object its owner has chosen, and draws the grid again.
    void Select(int32_t index);
    // The grid as last drawn; empty while there is nothing to show.
    const TThumbGridLayout& Layout() const { return layout_; }
    const QImage& CanvasImage() const;
    // The widget that shows the grid and takes the mouse, in grid pixels.
    QWidget* Canvas() const;

    // Lays the grid out for the current width and draws it again.
    void Relayout();

protected:
    virtual int32_t ThumbCount() const = 0;
    // Paints every pixel of `canvas`, which is already sized to `layout`.
    virtual void PaintGrid(QImage& canvas, const TThumbGridLayout& layout) = 0;

    void SetSelected(int32_t index) { selected_ = index; }
    // The colour of the area around a grid narrower or shorter than the view.
    void SetAreaColor(const QColor& color);
    void resizeEvent(QResizeEvent* event) override;

private:
    void LayoutOnce();
    void MousePress(int32_t x, int32_t y);
    void MouseRelease(int32_t x, int32_t y);
    void Report(const TOnMouseThumb& handler, int32_t x, int32_t y) const;

    TThumbGridGeometry geometry_;
    TThumbGridLayout layout_;
    int32_t selected_ = 0;
    TThumbGridCanvas* canvas_;
    bool layingOut_ = false;
    bool layoutAgain_ = false;
};
