#include "app/dialogs/GradientBar.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>

TGradientBar::TGradientBar(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TGradientBar::SetRange(int64_t minimum, int64_t maximum)
{
    if (minimum_ == minimum && maximum_ == maximum) return;
    minimum_ = minimum;
    maximum_ = maximum;
    update();
}

void TGradientBar::SetPosition(int64_t position)
{
    if (position_ == position) return;
    position_ = position;
    update();
}

double TGradientBar::Fraction() const
{
    if (maximum_ <= minimum_) return position_ >= maximum_ ? 1.0 : 0.0;
    const double span = static_cast<double>(maximum_) - static_cast<double>(minimum_);
    const double done = static_cast<double>(position_) - static_cast<double>(minimum_);
    return std::clamp(done / span, 0.0, 1.0);
}

void TGradientBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect outer = rect();
    painter.fillRect(outer, QColor(244, 246, 250));
    painter.setPen(QColor(128, 128, 128));
    painter.drawLine(outer.topLeft(), outer.topRight());
    painter.drawLine(outer.topLeft(), outer.bottomLeft());
    painter.setPen(QColor(235, 235, 235));
    painter.drawLine(outer.bottomLeft(), outer.bottomRight());
    painter.drawLine(outer.topRight(), outer.bottomRight());

    const QRect trough = outer.adjusted(2, 2, -2, -2);
    const int filled = static_cast<int>(trough.width() * Fraction() + 0.5);
    if (filled <= 0) return;
    QLinearGradient gradient(trough.topLeft(), trough.topRight());
    gradient.setColorAt(0, QColor(155, 205, 255));
    gradient.setColorAt(1, QColor(121, 188, 255));
    painter.fillRect(QRect(trough.left(), trough.top(), filled, trough.height()), gradient);
}
