#include "controls/SimpleColorSelector.h"

#include "controls/OcraSlider.h"
#include "gfx/ColorHSL.h"
#include "gfx/Rounding.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

void RenderColorMap(TBitmap32& map, int32_t width, int32_t height, float lightness, bool horizontalLayout)
{
    map.SetSize(width, height);
    for (int32_t y = 0; y < height; ++y) {
        TColor32* row = map.ScanLine(y);
        for (int32_t x = 0; x < width; ++x) {
            const float across = Single(double(x) / width);
            const float down = Single(double(y) / height);
            row[x] = horizontalLayout ? HSLToRGB(across, down, lightness) : HSLToRGB(down, across, lightness);
        }
    }
}

// The map: shows the selector's bitmap and reports a press and a release.
class TColorMapView final : public QWidget {
public:
    explicit TColorMapView(QWidget* parent) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setCursor(Qt::CrossCursor);
    }

    void Show(const TBitmap32& bitmap)
    {
        image_ = bitmap.ToImage();
        update();
    }

    std::function<void(QPoint, Qt::MouseButton)> OnRelease;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), palette().window());
        painter.drawImage(0, 0, image_);
    }

    // Qt grabs the mouse for the map while a button is down, so the release
    // arrives here even when the pointer has left the map.
    void mousePressEvent(QMouseEvent*) override { pressed_ = true; }

    void mouseReleaseEvent(QMouseEvent* event) override
    {
        if (!pressed_) return;
        if (event->buttons() == Qt::NoButton) pressed_ = false;
        if (OnRelease) OnRelease(event->position().toPoint(), event->button());
    }

private:
    QImage image_;
    bool pressed_ = false;
};

TSimpleColorSelector::TSimpleColorSelector(QWidget* parent)
    : QWidget(parent), slider_(new TOcraSlider(this)), map_(new TColorMapView(this))
{
    slider_->SetMaximum(255);
    slider_->SetPosition(128);
    slider_->OnChanged = [this] { RenderMap(); };
    map_->OnRelease = [this](QPoint at, Qt::MouseButton button) { Pick(at, button); };
    resize(sizeHint());
    LayoutChildren();
    RenderMap();
}

TSimpleColorSelector::~TSimpleColorSelector() = default;

const QImage& TSimpleColorSelector::BitmapSlider() const { return slider_->ImageRuler(); }
void TSimpleColorSelector::SetBitmapSlider(const QImage& image)
{
    slider_->SetImageRuler(image);
    // A ruler of another height moves the map's lower edge.
    LayoutChildren();
    RenderMap();
}

const QImage& TSimpleColorSelector::BitmapBtn() const { return slider_->ImageThumb(); }
void TSimpleColorSelector::SetBitmapBtn(const QImage& image) { slider_->SetImageThumb(image); }

void TSimpleColorSelector::SetHorizontalLayout(bool value)
{
    if (horizontalLayout_ == value) return;
    horizontalLayout_ = value;
    // Shown at once, so that a pick always matches the map on screen.
    RenderMap();
}

void TSimpleColorSelector::SetMapCursor(const QCursor& cursor) { map_->setCursor(cursor); }

QWidget* TSimpleColorSelector::Map() const { return map_; }

QSize TSimpleColorSelector::sizeHint() const
{
    return {119, 64 + slider_->sizeHint().height()};
}

void TSimpleColorSelector::resizeEvent(QResizeEvent*)
{
    LayoutChildren();
    RenderMap();
}

void TSimpleColorSelector::LayoutChildren()
{
    // The slider keeps its own height along the bottom edge; the map fills the rest.
    const int sliderHeight = std::min(slider_->sizeHint().height(), height());
    slider_->setGeometry(0, height() - sliderHeight, width(), sliderHeight);
    map_->setGeometry(0, 0, width(), height() - sliderHeight);
}

void TSimpleColorSelector::RenderMap()
{
    const float lightness = Single(double(slider_->Position()) / slider_->Maximum());
    RenderColorMap(mapBitmap_, map_->width(), map_->height(), lightness, horizontalLayout_);
    map_->Show(mapBitmap_);
}

void TSimpleColorSelector::Pick(QPoint at, Qt::MouseButton button)
{
    if (mapBitmap_.Empty()) return;
    // A release off the map (over the slider, say) takes the nearest map pixel.
    const TColor32 color = mapBitmap_.Pixel(std::clamp(at.x(), 0, mapBitmap_.Width() - 1),
                                            std::clamp(at.y(), 0, mapBitmap_.Height() - 1));
    if (button == Qt::LeftButton)
        selectedColor_ = color;
    else
        secondaryColor_ = color;
    if (OnSelectColor) OnSelectColor();
}
