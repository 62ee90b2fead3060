#include "app/windows/ColorShape.h"

#include <QPainter>

TColorShape::TColorShape(TShapeKind kind, int size, QColor outline, QWidget* parent)
    : QWidget(parent), kind_(kind), outline_(outline)
{
    setFixedSize(size, size);
    // The page shows through the empty look's cross.
    setAttribute(Qt::WA_TranslucentBackground);
}

void TColorShape::SetColor(std::optional<TColor32> color)
{
    if (color) color = SetAlpha(*color, 255);
    if (color == color_) return;
    color_ = color;
    update();
}

void TColorShape::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, kind_ == TShapeKind::Circle);
    p.setPen(QPen(outline_, 1));
    p.setBrush(color_ ? QBrush(QColor::fromRgb(*color_)) : QBrush(Qt::white, Qt::DiagCrossPattern));
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    if (kind_ == TShapeKind::Circle)
        p.drawEllipse(r);
    else
        p.drawRect(r);
}
