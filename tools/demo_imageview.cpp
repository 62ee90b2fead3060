// Two image views side by side, for looking at them by eye: on the left a
// picture shown half transparent with an olive curve, a selected (red,
// highlighted) curve and a free-hand band; on the right the same at scale 2,
// scrolled. The pointer drags curve points; with "drag" the demo itself drags
// the start of the selected curve on the zoomed view. Built with the project:
//   build/demo_imageview [drag]
#include "controls/ImageViewWidget.h"
#include "engine/PolyBezier.h"
#include "engine/PolyBezierLayer.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QPainter>
#include <QMouseEvent>
#include <QRadialGradient>
#include <QTimer>

#include <memory>

namespace {

// Something picture-like: a sky, a hill and a sun.
TBitmap32 Picture()
{
    QImage image(360, 300, QImage::Format_ARGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(70, 120, 200));
    sky.setColorAt(1, QColor(230, 200, 150));
    p.fillRect(image.rect(), sky);
    QRadialGradient sun(270, 80, 40);
    sun.setColorAt(0, QColor(255, 240, 120));
    sun.setColorAt(1, QColor(240, 140, 40));
    p.setBrush(sun);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(270, 80), 40, 40);
    p.setBrush(QColor(60, 110, 50));
    p.drawEllipse(QPointF(120, 330), 260, 120);
    return TBitmap32::FromImage(image);
}

// The handle glyph: a small filled square with a dark rim, drawn blended.
class TDemoGlyph : public IHandleGlyphSource {
public:
    TDemoGlyph() : glyph_(8, 8, 0xFF204080u)
    {
        glyph_.FillRect(1, 1, 7, 7, 0xFFFFE060u);
        glyph_.DrawMode = TDrawMode::dmBlend;
    }
    const TBitmap32* HandleGlyph() const override { return &glyph_; }

private:
    TBitmap32 glyph_;
};

std::unique_ptr<TPolyBezier> Curve(TPoint s, TPoint c1, TPoint c2, TPoint e, float width = 1.0f)
{
    auto curve = std::make_unique<TPolyBezier>(s);
    curve->SetWidth(width);
    curve->AddCurveSegment(c1, c2, e);
    return curve;
}

void Populate(TPolyBezierLayer& layer)
{
    layer.SetCurveMode(1);
    layer.Add(Curve({30, 200}, {90, 120}, {150, 260}, {210, 180}, 30.0f)); // a free-hand band
    layer.Add(Curve({40, 60}, {80, 20}, {140, 120}, {180, 50}));
    layer.Add(Curve({60, 250}, {120, 160}, {220, 300}, {320, 210})); // added last: selected
}

// The pointer tool, as the pattern editor wires it: a press on the curves
// selects a point, moves drag it.
void WirePointer(TImageView& view, TPolyBezierLayer& layer)
{
    auto dragging = std::make_shared<TPolyBezier*>(nullptr);
    view.OnMouseDown = [&layer, dragging](TImageView&, TMouseButton, TShiftState, int32_t, int32_t,
                                          TPositionedLayer* under) {
        *dragging = layer.IsLayer(under) ? layer.GetSelectedCurve() : nullptr;
    };
    view.OnMouseMove = [dragging](TImageView& v, TShiftState, int32_t x, int32_t y, TPositionedLayer*) {
        if (!*dragging) return;
        const TPoint p = v.ControlToBitmap({x, y});
        (*dragging)->MoveSelectedPoint(p.X, p.Y, false);
    };
    view.OnMouseUp = [dragging](TImageView&, TMouseButton, TShiftState, int32_t, int32_t, TPositionedLayer*) {
        *dragging = nullptr;
    };
}

// Sends a press at bitmap point `from`, a move and a release at `to`, as a hand would.
void DragOnView(TImageViewWidget& widget, TPoint from, TPoint to)
{
    const auto send = [&](QEvent::Type type, TPoint bitmapPoint, Qt::MouseButtons buttons) {
        const TPoint c = widget.View().BitmapToControl(bitmapPoint);
        const QPointF at(c.X, c.Y);
        QMouseEvent event(type, at, widget.viewport()->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(widget.viewport(), &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::NoButton);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    TDemoGlyph glyph;
    SetHandleGlyphSource(&glyph);
    TBitmap32 source = Picture();
    source.DrawMode = TDrawMode::dmBlend;
    source.MasterAlpha = 128;
    TBitmap32 zoomed = Picture();

    QWidget window;
    window.setWindowTitle("Image view");
    auto* row = new QHBoxLayout(&window);
    auto* left = new TImageViewWidget(&window);
    auto* right = new TImageViewWidget(&window);
    row->addWidget(left);
    row->addWidget(right);
    left->View().SetBackground(clWhite32);
    left->View().SetBitmap(&source);
    right->View().SetBitmap(&zoomed);
    right->View().SetScaleMode(TScaleMode::smScale);
    right->View().SetScale(2.0f);

    TPolyBezierLayer leftCurves(left->View());
    TPolyBezierLayer rightCurves(right->View());
    Populate(leftCurves);
    Populate(rightCurves);
    WirePointer(left->View(), leftCurves);
    WirePointer(right->View(), rightCurves);
    left->View().SetCursor(TCursorShape::crCross);

    window.resize(900, 380);
    window.show();
    right->View().ScrollToCenter(120, 200);
    if (argc > 1 && QString(argv[1]) == "drag")
        QTimer::singleShot(300, [right] { DragOnView(*right, {60, 250}, {100, 280}); });
    const int result = app.exec();
    SetHandleGlyphSource(nullptr);
    return result;
}
