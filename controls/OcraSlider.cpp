#include "controls/OcraSlider.h"

#include "gfx/Rounding.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <mutex>

// The controls library is static: its resources are registered by hand, and
// Q_INIT_RESOURCE must be expanded outside any namespace.
static void InitControlsResources()
{
    Q_INIT_RESOURCE(controls);
}

namespace {

void EnsureControlsResources()
{
    static std::once_flag once;
    std::call_once(once, InitControlsResources);
}

void Fire(const std::function<void()>& event)
{
    if (event) event();
}

} // namespace

TOcraSlider::TOcraSlider(QWidget* parent) : QWidget(parent)
{
    EnsureControlsResources();
    // The control paints every pixel itself; erasing first would only flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(191, 11);
    SetImageThumb(QImage(QStringLiteral(":/controls/OCRATHUMB.png")));
    SetImageRuler(QImage(QStringLiteral(":/controls/OCRARULER.png")));
    SetAutoSize(true);
}

TOcraSlider::~TOcraSlider() = default;

void TOcraSlider::SetImageRuler(const QImage& image)
{
    ruler_ = image;
    ApplyAutoSize();
    update();
}

void TOcraSlider::SetImageThumb(const QImage& image)
{
    thumbs_ = image;
    BuildThumb();
}

void TOcraSlider::SetHorizontal(bool value)
{
    horizontal_ = value;
    update();
}

void TOcraSlider::SetMaximum(int32_t value)
{
    // The track is divided by the maximum: zero or less has no meaning.
    maximum_ = std::max(value, 1);
    SetPosition(position_);
}

void TOcraSlider::SetPosition(int32_t value)
{
    position_ = std::clamp(value, 0, maximum_);
    update();
}

void TOcraSlider::SetAutoSize(bool value)
{
    autoSize_ = value;
    setSizePolicy(value ? QSizePolicy::Fixed : QSizePolicy::Preferred,
                  value ? QSizePolicy::Fixed : QSizePolicy::Preferred);
    ApplyAutoSize();
    updateGeometry();
}

void TOcraSlider::ApplyAutoSize()
{
    if (autoSize_ && ruler_.width() > 0 && ruler_.height() > 0) resize(ruler_.size());
}

QSize TOcraSlider::sizeHint() const
{
    if (ruler_.width() > 0 && ruler_.height() > 0) return ruler_.size();
    return {191, 11};
}

double TOcraSlider::Scale() const
{
    return double(AlongSize(size()) - AlongSize(ShownThumb().size())) / maximum_;
}

int32_t TOcraSlider::ThumbAlongOffset() const
{
    // A thumb wider than the control stays at the start rather than leave it.
    return std::max(Round(position_ * Scale()), 0);
}

int32_t TOcraSlider::ThumbAcrossOffset() const
{
    return std::max((AcrossSize(size()) - AcrossSize(ShownThumb().size())) / 2, 0);
}

void TOcraSlider::BuildThumb()
{
    const int half = thumbs_.width() / 2;
    if (half == 0) {
        normalThumb_ = pressedThumb_ = QImage();
    } else {
        normalThumb_ = thumbs_.copy(0, 0, half, thumbs_.height());
        // An odd width leaves the pressed half one column wider; fit it.
        pressedThumb_ = thumbs_.copy(half, 0, thumbs_.width() - half, thumbs_.height())
                            .scaled(half, thumbs_.height());
    }
    update();
}

void TOcraSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // Clear parts of the ruler show the window's colour, whatever the theme.
    painter.fillRect(rect(), palette().window());
    painter.drawImage(rect(), ruler_);
    const QPoint at = horizontal_ ? QPoint(ThumbAlongOffset(), ThumbAcrossOffset())
                                  : QPoint(ThumbAcrossOffset(), ThumbAlongOffset());
    painter.drawImage(at, ShownThumb());
}

void TOcraSlider::mousePressEvent(QMouseEvent*)
{
    // Qt grabs the mouse for the widget while a button is down; that grab
    // stands in for confining the cursor, and DragTo clamps what it reports.
    dragging_ = true;
    Fire(OnBeginChange);
    swapped_ = true;
    update();
}

void TOcraSlider::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_ || !(event->buttons() & Qt::LeftButton)) return;
    const QPoint p = event->position().toPoint();
    const int32_t across = horizontal_ ? p.y() : p.x();
    // A drag starts only from the thumb's band; once it has moved the thumb
    // the pointer may wander off it.
    if (tracking_ || (across >= 0 && across <= AcrossSize(ShownThumb().size())))
        DragTo(horizontal_ ? p.x() : p.y());
    update();
}

void TOcraSlider::DragTo(int32_t along)
{
    const double scale = Scale();
    if (scale <= 0) return; // no track to move along
    tracking_ = true;
    // The pointer holds the thumb by its middle; before the start it means 0.
    const int32_t p = along - AlongSize(ShownThumb().size()) / 2;
    position_ = p <= 0 ? 0 : std::min(Round(p / scale), maximum_);
    Fire(OnChanged);
}

void TOcraSlider::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    tracking_ = false;
    swapped_ = false;
    update();
    Fire(OnStopChanged);
}
