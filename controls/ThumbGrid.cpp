#include "controls/ThumbGrid.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <cmath>

// Shows the drawn grid at its own size and hands mouse buttons to the grid.
class TThumbGridCanvas : public QWidget {
public:
    using TMouseHandler = std::function<void(int32_t, int32_t)>;

    explicit TThumbGridCanvas(QWidget* parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

    TMouseHandler OnPress;
    TMouseHandler OnRelease;

    const QImage& Image() const { return image_; }
    void SetImage(QImage image)
    {
        image_ = std::move(image);
        setFixedSize(image_.size());
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.drawImage(0, 0, image_);
    }
    void mousePressEvent(QMouseEvent* event) override { Forward(OnPress, event); }
    void mouseReleaseEvent(QMouseEvent* event) override { Forward(OnRelease, event); }

private:
    static void Forward(const TMouseHandler& handler, QMouseEvent* event)
    {
        const QPointF at = event->position();
        if (handler) handler(static_cast<int32_t>(std::floor(at.x())), static_cast<int32_t>(std::floor(at.y())));
    }

    QImage image_;
};

TThumbGrid::TThumbGrid(QWidget* parent) : QScrollArea(parent), canvas_(new TThumbGridCanvas(this))
{
    setFrameShape(QFrame::NoFrame);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    canvas_->OnPress = [this](int32_t x, int32_t y) { MousePress(x, y); };
    canvas_->OnRelease = [this](int32_t x, int32_t y) { MouseRelease(x, y); };
    canvas_->SetImage(QImage());
    setWidget(canvas_);
    resize(200, 200);
}

TThumbGrid::~TThumbGrid() = default;

void TThumbGrid::SetMargin(int32_t value)
{
    geometry_.Margin = value;
    Relayout();
}

void TThumbGrid::SetThumbWidth(int32_t value)
{
    geometry_.ThumbWidth = value;
    Relayout();
}

void TThumbGrid::SetThumbHeight(int32_t value)
{
    geometry_.ThumbHeight = value;
    Relayout();
}

void TThumbGrid::SetThumbSize(int32_t width, int32_t height)
{
    geometry_.ThumbWidth = width;
    geometry_.ThumbHeight = height;
    Relayout();
}

const QImage& TThumbGrid::CanvasImage() const { return canvas_->Image(); }

QWidget* TThumbGrid::Canvas() const { return canvas_; }

void TThumbGrid::Select(int32_t index)
{
    if (index == selected_) return;
    selected_ = index;
    Relayout();
}

void TThumbGrid::Relayout()
{
    // Resizing the canvas can show or hide a scroll bar, which resizes the
    // view and asks for a layout from inside this one: finish this one first,
    // then lay out again for the width the view ended with.
    if (layingOut_) {
        layoutAgain_ = true;
        return;
    }
    layingOut_ = true;
    for (int pass = 0; pass < 4; ++pass) {
        layoutAgain_ = false;
        LayoutOnce();
        if (!layoutAgain_) break;
    }
    layingOut_ = false;
}

void TThumbGrid::LayoutOnce()
{
    const auto layout = LayoutThumbGrid(geometry_, viewport()->width(), ThumbCount());
    if (!layout) {
        // Clear rather than keep the last grid: its thumbnails may be of
        // pictures the list no longer holds, and a press on one would report them.
        layout_ = TThumbGridLayout{geometry_};
        canvas_->SetImage(QImage());
        return;
    }
    if (selected_ < 0 || selected_ >= layout->Count) selected_ = 0;
    QImage image(layout->Width, layout->Height, QImage::Format_RGB32);
    PaintGrid(image, *layout);
    layout_ = *layout;
    verticalScrollBar()->setSingleStep(geometry_.ThumbHeight + geometry_.Margin);
    canvas_->SetImage(std::move(image));
}

void TThumbGrid::SetAreaColor(const QColor& color)
{
    QPalette palette = viewport()->palette();
    palette.setColor(QPalette::Window, color);
    viewport()->setPalette(palette);
}

void TThumbGrid::resizeEvent(QResizeEvent* event)
{
    QScrollArea::resizeEvent(event);
    Relayout();
}

void TThumbGrid::MousePress(int32_t x, int32_t y)
{
    if (const auto hit = ThumbIndexAt(layout_, x, y)) selected_ = *hit;
    Relayout();
    Report(OnMouseDownThumb, x, y);
}

void TThumbGrid::MouseRelease(int32_t x, int32_t y) { Report(OnMouseUpThumb, x, y); }

void TThumbGrid::Report(const TOnMouseThumb& handler, int32_t x, int32_t y) const
{
    if (handler && selected_ < layout_.Count) handler(selected_, x, y);
}
