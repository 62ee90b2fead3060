#include "controls/GaugeTrack.h"

#include "gfx/Rounding.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

TGaugeTrack::TGaugeTrack(QWidget* parent)
    : QWidget(parent), FColor(168, 227, 244), FHandleColor(185, 209, 234)
{
    setFocusPolicy(Qt::ClickFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGaugeTrack::SetRange(int min, int max)
{
    FMin = min;
    FMax = std::max(min, max);
    FPosition = std::clamp(FPosition, FMin, FMax);
    update();
}

void TGaugeTrack::SetPosition(int position)
{
    position = std::clamp(position, FMin, FMax);
    if (position == FPosition) return;
    FPosition = position;
    update();
}

void TGaugeTrack::SetColor(const QColor& color)
{
    FColor = color;
    update();
}

void TGaugeTrack::SetHandleColor(const QColor& color)
{
    FHandleColor = color;
    update();
}

int TGaugeTrack::HandleWidth() const { return std::min(10, std::max(width() / 2, 1)); }

int TGaugeTrack::Travel() const { return std::max(width() - HandleWidth(), 1); }

int TGaugeTrack::HandleLeft(int position) const
{
    if (FMax == FMin) return 0;
    return static_cast<int>(int64_t(position - FMin) * Travel() / (FMax - FMin));
}

int TGaugeTrack::PositionAtHandleLeft(int left) const
{
    const double share = double(std::clamp(left, 0, Travel())) / Travel();
    return FMin + Round(share * (FMax - FMin));
}

void TGaugeTrack::UserMove(int position)
{
    position = std::clamp(position, FMin, FMax);
    if (position == FPosition) return;
    FPosition = position;
    update();
    if (OnChange) OnChange(this);
}

void TGaugeTrack::mousePressEvent(QMouseEvent* event)
{
    if (OnMouseDown) OnMouseDown(this, event);
    if (event->button() != Qt::LeftButton) return;
    const int x = event->position().toPoint().x();
    const int left = HandleLeft(FPosition);
    if (x >= left && x < left + HandleWidth())
        GrabOffset = x - left;
    else // a click beside the handle pages toward the click
        UserMove(FPosition + (x < left ? -FLargeChange : FLargeChange));
}

void TGaugeTrack::mouseMoveEvent(QMouseEvent* event)
{
    if (OnMouseMove) OnMouseMove(this, event);
    if (GrabOffset >= 0) UserMove(PositionAtHandleLeft(event->position().toPoint().x() - GrabOffset));
}

void TGaugeTrack::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) GrabOffset = -1;
    if (OnMouseUp) OnMouseUp(this, event);
}

void TGaugeTrack::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Left: case Qt::Key_Down: UserMove(FPosition - 1); break;
    case Qt::Key_Right: case Qt::Key_Up: UserMove(FPosition + 1); break;
    case Qt::Key_PageDown: UserMove(FPosition - FLargeChange); break;
    case Qt::Key_PageUp: UserMove(FPosition + FLargeChange); break;
    case Qt::Key_Home: UserMove(FMin); break;
    case Qt::Key_End: UserMove(FMax); break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

void TGaugeTrack::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    PaintTrack(p);
    PaintHandle(p);
}

// A fine dither of the gauge colour and white, the way a scroll bar's track
// is patterned, with the part left of the handle in the plain colour so the
// amount reads at a glance.
void TGaugeTrack::PaintTrack(QPainter& p) const
{
    const QColor base = isEnabled() ? FColor : QColor(216, 216, 216);
    p.fillRect(rect(), Qt::white);
    p.fillRect(rect(), QBrush(base, Qt::Dense4Pattern));
    const int filled = HandleLeft(FPosition) + HandleWidth() / 2;
    p.fillRect(QRect(0, 0, filled, height()), base);
    p.setPen(base.darker(140));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TGaugeTrack::PaintHandle(QPainter& p) const
{
    const QColor color = isEnabled() ? FHandleColor : QColor(200, 200, 200);
    const QRectF r(HandleLeft(FPosition) + 0.5, 0.5, HandleWidth() - 1, height() - 1);
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, color.lighter(125));
    shade.setColorAt(1, color.darker(115));
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath outline;
    outline.addRoundedRect(r, 2.5, 2.5);
    p.fillPath(outline, shade);
    p.setPen(color.darker(170));
    p.drawPath(outline);
    p.setRenderHint(QPainter::Antialiasing, false);
    // Grip: three short ridges in the middle of the handle.
    const int cx = HandleLeft(FPosition) + HandleWidth() / 2;
    p.setPen(color.darker(160));
    for (int dx = -2; dx <= 2; dx += 2) p.drawLine(cx + dx, 4, cx + dx, height() - 5);
}
