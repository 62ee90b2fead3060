#include "app/windows/MainWindowPictures.h"

#include <QPainter>
#include <QPainterPath>

#include <functional>

namespace {

const QColor Ink(38, 52, 92);
const QColor Accent(40, 110, 190);

QPixmap Draw(int w, int h, const std::function<void(QPainter&)>& paint)
{
    QPixmap pixmap(w, h);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    paint(painter);
    return pixmap;
}

QPen Pen(const QColor& colour, double width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Pointer(QPainter& p)
{
    QPainterPath arrow;
    arrow.moveTo(9, 4);
    arrow.lineTo(9, 25);
    arrow.lineTo(14, 20);
    arrow.lineTo(18, 28);
    arrow.lineTo(21, 27);
    arrow.lineTo(17, 19);
    arrow.lineTo(24, 19);
    arrow.closeSubpath();
    p.setPen(Pen(Ink, 1.5));
    p.setBrush(Qt::white);
    p.drawPath(arrow);
}

void AutoSketch(QPainter& p)
{
    p.setPen(Pen(Ink, 1.6));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(5 + i * 4, 26), QPointF(12 + i * 4, 6));
    p.setPen(Pen(Accent, 2.0));
    p.drawEllipse(QPointF(22, 22), 6, 6);
    p.drawLine(QPointF(19, 22), QPointF(25, 22));
    p.drawLine(QPointF(22, 19), QPointF(22, 25));
}

void PatternTool(QPainter& p)
{
    p.setPen(Pen(Ink, 1.6));
    p.setBrush(Qt::NoBrush);
    for (int i = 0; i < 3; ++i) {
        QPainterPath curl;
        const double y = 8 + i * 8;
        curl.moveTo(4, y + 4);
        curl.cubicTo(10, y - 4, 16, y + 8, 22, y);
        curl.cubicTo(25, y - 3, 28, y + 2, 28, y + 4);
        p.drawPath(curl);
    }
}

void FreeHand(QPainter& p)
{
    QPainterPath band;
    band.moveTo(4, 26);
    band.cubicTo(10, 8, 18, 30, 27, 8);
    p.setPen(Pen(Accent, 2.2));
    p.drawPath(band);
    p.setPen(Pen(Ink, 1.2));
    p.setBrush(QColor(250, 220, 120));
    QPolygonF pencil({{20, 4}, {28, 12}, {16, 24}, {10, 26}, {12, 20}});
    p.drawPolygon(pencil);
}

void Help(QPainter& p)
{
    p.setPen(Pen(Ink, 1.5));
    p.setBrush(QColor(255, 246, 200));
    p.drawEllipse(QPointF(16, 16), 12, 12);
    QFont font;
    font.setPixelSize(18);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Accent);
    p.drawText(QRectF(4, 3, 24, 26), Qt::AlignCenter, "?");
}

void Page(QPainter& p)
{
    p.setPen(Pen(Ink, 1.0));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3.5, 1.5, 9, 12));
}

void Disk(QPainter& p)
{
    p.setPen(Pen(Ink, 1.0));
    p.setBrush(QColor(90, 130, 200));
    p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 1.5, 1.5);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));
    p.setBrush(QColor(220, 226, 240));
    p.drawRect(QRectF(3.5, 9.5, 9, 5));
}

} // namespace

QPixmap ToolButtonPicture(int index)
{
    static const std::function<void(QPainter&)> pictures[] = {Pointer, AutoSketch, PatternTool, FreeHand, Help};
    if (index < 0 || index >= 5) return {};
    return Draw(32, 32, pictures[index]);
}

QPixmap ButtonGlyph(TGlyph glyph)
{
    return Draw(16, 16, [glyph](QPainter& p) {
        switch (glyph) {
        case TGlyph::New:
            Page(p);
            p.setPen(Pen(QColor(30, 150, 60), 2.0));
            p.drawLine(QPointF(11, 9), QPointF(11, 15));
            p.drawLine(QPointF(8, 12), QPointF(14, 12));
            break;
        case TGlyph::Save: Disk(p); break;
        case TGlyph::SaveAs:
            Disk(p);
            p.setPen(Pen(QColor(200, 120, 20), 2.0));
            p.drawLine(QPointF(9, 15), QPointF(15, 9));
            break;
        case TGlyph::Reset: {
            p.setPen(Pen(Accent, 1.8));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(3, 3, 10, 10), 60 * 16, 280 * 16);
            p.setBrush(Accent);
            p.drawPolygon(QPolygonF({{10, 1}, {14, 4}, {9, 6}}));
            break;
        }
        case TGlyph::Delete:
            p.setPen(Pen(QColor(190, 40, 40), 2.2));
            p.drawLine(QPointF(4, 4), QPointF(12, 12));
            p.drawLine(QPointF(12, 4), QPointF(4, 12));
            break;
        case TGlyph::Edit:
            Page(p);
            p.setPen(Pen(QColor(200, 120, 20), 2.0));
            p.drawLine(QPointF(7, 14), QPointF(14, 7));
            break;
        case TGlyph::Popup:
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(0, 128, 128));
            p.drawPolygon(QPolygonF({{4, 6}, {12, 6}, {8, 11}}));
            break;
        }
    });
}
