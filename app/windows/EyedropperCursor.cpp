#include "app/windows/EyedropperCursor.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

QCursor EyedropperCursor()
{
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn upright along the diagonal from the tip (1, 30) to the bulb.
    p.translate(1, 30);
    p.rotate(-45);
    QPainterPath tube;
    tube.moveTo(0, 0);
    tube.lineTo(4, -2.5);
    tube.lineTo(22, -2.5);
    tube.lineTo(22, 2.5);
    tube.lineTo(4, 2.5);
    tube.closeSubpath();
    p.setPen(QPen(Qt::black, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(tube);
    p.setBrush(Qt::black);
    p.drawRect(QRectF(22, -4.5, 4, 9));           // the collar
    p.drawRoundedRect(QRectF(26, -3.5, 10, 7), 3, 3); // the bulb
    p.end();
    return QCursor(picture, 1, 30);
}
