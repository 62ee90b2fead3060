#include "controls/ImageViewWidget.h"

#include "gfx/Errors.h"

#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <QtDebug>

#include <algorithm>
#include <cstdlib>

namespace {

// One notch of a classic mouse wheel; finer wheels add up to it.
constexpr int WheelNotch = 120;

TShiftState ShiftFromQt(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    TShiftState s = 0;
    if (modifiers & Qt::ShiftModifier) s |= ssShift;
    if (modifiers & Qt::AltModifier) s |= ssAlt;
    if (modifiers & Qt::ControlModifier) s |= ssCtrl;
    if (buttons & Qt::LeftButton) s |= ssLeft;
    if (buttons & Qt::RightButton) s |= ssRight;
    if (buttons & Qt::MiddleButton) s |= ssMiddle;
    return s;
}

bool ButtonFromQt(Qt::MouseButton button, TMouseButton& out)
{
    switch (button) {
    case Qt::LeftButton: out = TMouseButton::mbLeft; return true;
    case Qt::RightButton: out = TMouseButton::mbRight; return true;
    case Qt::MiddleButton: out = TMouseButton::mbMiddle; return true;
    default: return false;
    }
}

TPoint ViewPoint(const QPointF& p) { return {p.toPoint().x(), p.toPoint().y()}; }

} // namespace

TImageViewWidget::TImageViewWidget(QWidget* parent)
    : QAbstractScrollArea(parent), view_(std::make_unique<TImageView>())
{
    view_->SetHost(this);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    view_->SetViewportSize(viewport()->width(), viewport()->height());
}

TImageViewWidget::~TImageViewWidget() { view_->SetHost(nullptr); }

int TImageViewWidget::VirtualKeyFromQt(int qtKey)
{
    using namespace VirtualKey;
    // Letters and digits share their codes with the model's.
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) return qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24) return vkF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return vkBack;
    case Qt::Key_Tab: return vkTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vkReturn;
    case Qt::Key_Shift: return vkShift;
    case Qt::Key_Control: return vkControl;
    case Qt::Key_Alt: return vkMenu;
    case Qt::Key_Escape: return vkEscape;
    case Qt::Key_Space: return vkSpace;
    case Qt::Key_PageUp: return vkPrior;
    case Qt::Key_PageDown: return vkNext;
    case Qt::Key_End: return vkEnd;
    case Qt::Key_Home: return vkHome;
    case Qt::Key_Left: return vkLeft;
    case Qt::Key_Up: return vkUp;
    case Qt::Key_Right: return vkRight;
    case Qt::Key_Down: return vkDown;
    case Qt::Key_Insert: return vkInsert;
    case Qt::Key_Delete: return vkDelete;
    default: return 0;
    }
}

Qt::CursorShape TImageViewWidget::QtCursor(TCursorShape shape)
{
    switch (shape) {
    case TCursorShape::crCross: return Qt::CrossCursor;
    case TCursorShape::crHandPoint: return Qt::PointingHandCursor;
    case TCursorShape::crSizeAll: return Qt::SizeAllCursor;
    case TCursorShape::crHourGlass: return Qt::WaitCursor;
    case TCursorShape::crHelp: return Qt::WhatsThisCursor;
    case TCursorShape::crNo: return Qt::ForbiddenCursor;
    case TCursorShape::crDefault:
    case TCursorShape::crArrow: break;
    }
    return Qt::ArrowCursor;
}

template <typename F>
void TImageViewWidget::Guarded(F&& handler)
{
    try {
        handler();
    } catch (const SilentAbort&) {
    } catch (const std::exception& e) {
        if (OnError)
            OnError(e);
        else
            qWarning("Image view handler failed: %s", e.what());
    }
}

// --- Showing the model -------------------------------------------------------

void TImageViewWidget::paintEvent(QPaintEvent*)
{
    // A failing layer painter leaves what was painted before it on show.
    Guarded([&] { view_->Render(); });
    const QImage image = view_->Buffer().WrapAsImage();
    QPainter painter(viewport());
    if (!image.isNull()) painter.drawImage(0, 0, image);
}

// Resizing and scrolling run the view's scroll handler, which may fail too.
void TImageViewWidget::resizeEvent(QResizeEvent*)
{
    Guarded([&] { view_->SetViewportSize(viewport()->width(), viewport()->height()); });
}

void TImageViewWidget::scrollContentsBy(int, int)
{
    if (syncing_) return;
    Guarded([&] { view_->SetScrollPos(horizontalScrollBar()->value(), verticalScrollBar()->value()); });
}

void TImageViewWidget::RepaintRequested() { viewport()->update(); }

void TImageViewWidget::LayoutChanged() { SyncScrollBars(); }

void TImageViewWidget::CursorChanged() { viewport()->setCursor(QtCursor(view_->Cursor())); }

void TImageViewWidget::SyncScrollBars()
{
    if (syncing_) return;
    syncing_ = true;
    const TPoint range = view_->ScrollRange();
    const TPoint pos = view_->ScrollPos();
    QScrollBar* h = horizontalScrollBar();
    QScrollBar* v = verticalScrollBar();
    h->setRange(0, range.X);
    h->setPageStep(std::max(viewport()->width(), 1));
    h->setSingleStep(16);
    h->setValue(pos.X);
    v->setRange(0, range.Y);
    v->setPageStep(std::max(viewport()->height(), 1));
    v->setSingleStep(16);
    v->setValue(pos.Y);
    syncing_ = false;
}

// --- Input ---------------------------------------------------------------------

void TImageViewWidget::Press(QMouseEvent* event, TShiftState extra)
{
    TMouseButton button;
    if (!ButtonFromQt(event->button(), button)) return;
    setFocus(Qt::MouseFocusReason);
    const TPoint p = ViewPoint(event->position());
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons()) | extra;
    Guarded([&] { view_->MouseDown(button, shift, p.X, p.Y); });
}

void TImageViewWidget::mousePressEvent(QMouseEvent* event) { Press(event, 0); }

// The second press of a double click is a press like any other, marked as double.
void TImageViewWidget::mouseDoubleClickEvent(QMouseEvent* event) { Press(event, ssDouble); }

void TImageViewWidget::mouseMoveEvent(QMouseEvent* event)
{
    const TPoint p = ViewPoint(event->position());
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    Guarded([&] { view_->MouseMove(shift, p.X, p.Y); });
}

void TImageViewWidget::mouseReleaseEvent(QMouseEvent* event)
{
    TMouseButton button;
    if (!ButtonFromQt(event->button(), button)) return;
    const TPoint p = ViewPoint(event->position());
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    Guarded([&] { view_->MouseUp(button, shift, p.X, p.Y); });
}

void TImageViewWidget::wheelEvent(QWheelEvent* event)
{
    wheelRemainder_ += event->angleDelta().y();
    const TPoint p = ViewPoint(event->position());
    const TShiftState shift = ShiftFromQt(event->modifiers(), event->buttons());
    bool handled = false;
    // The model's handlers count notches: one call per whole notch turned.
    while (std::abs(wheelRemainder_) >= WheelNotch) {
        const int notch = wheelRemainder_ > 0 ? WheelNotch : -WheelNotch;
        wheelRemainder_ -= notch;
        Guarded([&] { handled = view_->MouseWheel(notch, shift, p) || handled; });
    }
    if (handled)
        event->accept();
    else
        QAbstractScrollArea::wheelEvent(event);
}

bool TImageViewWidget::ForwardKey(QKeyEvent* event, bool down)
{
    int key = VirtualKeyFromQt(event->key());
    if (key == 0) return false;
    const TShiftState shift = ShiftFromQt(event->modifiers(), Qt::NoButton);
    Guarded([&] { down ? view_->KeyDown(key, shift) : view_->KeyUp(key, shift); });
    // A handler that clears the key has eaten it.
    return key == 0;
}

void TImageViewWidget::keyPressEvent(QKeyEvent* event)
{
    if (!ForwardKey(event, true)) QAbstractScrollArea::keyPressEvent(event);
}

void TImageViewWidget::keyReleaseEvent(QKeyEvent* event)
{
    if (!ForwardKey(event, false)) QAbstractScrollArea::keyReleaseEvent(event);
}
