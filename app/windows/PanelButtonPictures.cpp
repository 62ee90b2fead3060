#include "app/windows/PanelButtonPictures.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Size = 18;
const QColor Ink(22, 44, 92);

// A drawing pin seen from the side, head first: pointing down when pinned,
// lying to the right when not.
void DrawPin(QPainter& p, bool pinned)
{
    if (!pinned) {
        p.translate(Size / 2.0, Size / 2.0);
        p.rotate(-90);
        p.translate(-Size / 2.0, -Size / 2.0);
    }
    p.setPen(QPen(Ink, 1.2));
    p.setBrush(QColor(200, 40, 40));
    p.drawRoundedRect(QRectF(5.5, 2.5, 7, 3), 1, 1);  // the head
    p.drawRect(QRectF(7, 5.5, 4, 4));                   // the body
    p.drawLine(QPointF(4.5, 9.5), QPointF(13.5, 9.5)); // the collar
    p.setPen(QPen(Ink, 1.4));
    p.drawLine(QPointF(9, 9.5), QPointF(9, 16));        // the needle
}

void DrawCross(QPainter& p)
{
    p.setPen(QPen(Ink, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 5), QPointF(13, 13));
    p.drawLine(QPointF(13, 5), QPointF(5, 13));
}

} // namespace

QPixmap PanelButtonPicture(TPanelButtonPicture which)
{
    QPixmap picture(Size, Size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    switch (which) {
    case TPanelButtonPicture::Close: DrawCross(p); break;
    case TPanelButtonPicture::Pinned: DrawPin(p, true); break;
    case TPanelButtonPicture::NotPinned: DrawPin(p, false); break;
    }
    return picture;
}
