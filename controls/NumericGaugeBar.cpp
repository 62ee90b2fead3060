#include "controls/NumericGaugeBar.h"

#include "controls/FocusExit.h"
#include "controls/GaugeTrack.h"
#include "controls/NumericEdit.h"
#include "gfx/NumberText.h"
#include "gfx/Rounding.h"

#include <QApplication>
#include <QFocusEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr int ControlHeight = 14;
constexpr int FrameWidth = 34; // the frame around the edit box, flush right
constexpr int Gap = 2;         // between the gauge and the frame

} // namespace

TNumericGaugeBar::TNumericGaugeBar(QWidget* parent)
    : QWidget(parent),
      FGauge(new TGaugeTrack(this)),
      FEdit(new TOcraEdit(this)),
      FColorGauge(168, 227, 244),
      FColorEdit(196, 214, 217),
      FColorHandle(185, 209, 234),
      FColorFont(Qt::black),
      FColorShapePen(95, 137, 160),
      FColorBackground(palette().color(QPalette::Window))
{
    setFixedHeight(ControlHeight);
    setMinimumWidth(100);
    QFont font("Arial");
    font.setPixelSize(9);
    FEdit->setFont(font);
    FEdit->setFrame(false);
    FEdit->setTextMargins(1, 0, 0, 0);
    FEdit->setText("4.4");
    SetColorEdit(FColorEdit);
    SetColorFont(FColorFont);
    SetColorGauge(FColorGauge);
    SetColorHandle(FColorHandle);
    SetColorBackground(FColorBackground);
    WireChildren();
    resize(sizeHint());
    PlaceChildren();
    BuildScale();
}

void TNumericGaugeBar::WireChildren()
{
    FGauge->OnChange = [this](TGaugeTrack*) { GaugeChange(); };
    FGauge->OnMouseDown = [this](TGaugeTrack* g, QMouseEvent* e) { if (OnMouseDown) OnMouseDown(g, e); };
    FGauge->OnMouseMove = [this](TGaugeTrack* g, QMouseEvent* e) { if (OnMouseMove) OnMouseMove(g, e); };
    FGauge->OnMouseUp = [this](TGaugeTrack* g, QMouseEvent* e) { if (OnMouseUp) OnMouseUp(g, e); };
    FGauge->installEventFilter(this);
    FEdit->OnKeyPress = [this](TOcraEdit*, char key) {
        if (key == '\t') AcceptText();
    };
    FEdit->OnExit = [this](TOcraEdit*) {
        AcceptText();
        ExitIfFocusLeft();
    };
}

QRect TNumericGaugeBar::FrameRect() const
{
    return QRect(width() - FrameWidth, 0, FrameWidth, ControlHeight);
}

void TNumericGaugeBar::PlaceChildren()
{
    const QRect frame = FrameRect();
    FGauge->setGeometry(0, 1, std::max(frame.left() - Gap, 1), ControlHeight - 1);
    FEdit->setGeometry(frame.adjusted(2, 1, -2, -1));
}

// One entry per gauge position, as many as the gauge has pixels plus one.
void TNumericGaugeBar::RebuildTable()
{
    const int width = FGauge->width();
    FGauge->SetRange(0, width);
    FGauge->SetLargeChange(std::max((FGauge->Max() - FGauge->Min()) / 5, 1));
    Scale = TGaugeScale(width + 1, FMinValue, FMaxValue, FLogScale);
}

// The text in the box is what the user last saw, so it is the value that
// survives a rebuild; text that is not a number leaves the stored value.
// Either way the value is clamped to the new range, shown, read back (so the
// value is what the box shows) and reported.
void TNumericGaugeBar::BuildScale()
{
    RebuildTable();
    const std::optional<double> typed = ParseNumber(FEdit->text().toStdString());
    FValue = Single(ClampGaugeValue(typed.value_or(FValue), FMinValue, FMaxValue));
    UpdateText();
    AcceptText();
}

void TNumericGaugeBar::SetValue(double value)
{
    if (std::isnan(value)) return;
    // Clamped before it is narrowed, so a huge number cannot become infinite.
    FValue = Single(ClampGaugeValue(value, FMinValue, FMaxValue));
    FGauge->SetPosition(Scale.NearestPosition(FValue));
    UpdateText();
    FireChange();
}

bool TNumericGaugeBar::AcceptText()
{
    const std::optional<double> typed = ParseNumber(FEdit->text().toStdString());
    if (!typed) return false;
    SetValue(*typed);
    return true;
}

// A value taken from the gauge is the position's own value, unclamped: the
// last position may miss MaxValue by a float rounding.
void TNumericGaugeBar::GaugeChange()
{
    FValue = Single(Scale.ValueAt(FGauge->Position()));
    UpdateText();
    FireChange();
}

void TNumericGaugeBar::UpdateText()
{
    FEdit->setText(QString::fromStdString(FormatGaugeValue(FValue, FIntValue)));
    FEdit->setCursorPosition(0);
}

void TNumericGaugeBar::FireChange()
{
    if (OnChange) OnChange(this);
}

void TNumericGaugeBar::SetMinValue(float value)
{
    if (!std::isfinite(value)) return;
    FMinValue = value;
    BuildScale();
}

void TNumericGaugeBar::SetMaxValue(float value)
{
    if (!std::isfinite(value)) return;
    FMaxValue = value;
    BuildScale();
}

void TNumericGaugeBar::SetLogScale(bool on)
{
    FLogScale = on;
    BuildScale();
}

void TNumericGaugeBar::SetIntValue(bool on)
{
    FIntValue = on;
    BuildScale();
}

void TNumericGaugeBar::SetColorGauge(const QColor& color)
{
    FColorGauge = color;
    FGauge->SetColor(color);
}

void TNumericGaugeBar::SetColorHandle(const QColor& color)
{
    FColorHandle = color;
    FGauge->SetHandleColor(color);
}

void TNumericGaugeBar::SetColorEdit(const QColor& color)
{
    FColorEdit = color;
    QPalette pal = FEdit->palette();
    pal.setColor(QPalette::Base, color);
    FEdit->setPalette(pal);
}

void TNumericGaugeBar::SetColorFont(const QColor& color)
{
    FColorFont = color;
    // The disabled group keeps the style's grey, so a disabled bar reads as one.
    QPalette pal = FEdit->palette();
    pal.setColor(QPalette::Active, QPalette::Text, color);
    pal.setColor(QPalette::Inactive, QPalette::Text, color);
    FEdit->setPalette(pal);
}

void TNumericGaugeBar::SetColorShapePen(const QColor& color)
{
    FColorShapePen = color;
    update();
}

void TNumericGaugeBar::SetColorBackground(const QColor& color)
{
    FColorBackground = color;
    update();
}

// The scale is built at construction and by the writes of the range and the
// modes only: a resized gauge keeps its range and table, and its track maps
// the same positions onto the new width.
void TNumericGaugeBar::resizeEvent(QResizeEvent*) { PlaceChildren(); }

void TNumericGaugeBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), FColorBackground);
    const QRect frame = FrameRect();
    p.fillRect(frame.adjusted(1, 1, -1, -1), FColorEdit);
    p.setPen(FColorShapePen);
    p.drawRect(frame.adjusted(0, 0, -1, -1));
}

bool TNumericGaugeBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == FGauge && event->type() == QEvent::FocusOut &&
        FocusMovedToAnotherControl(*static_cast<QFocusEvent*>(event)))
        ExitIfFocusLeft();
    return QWidget::eventFilter(watched, event);
}

void TNumericGaugeBar::ExitIfFocusLeft()
{
    const QWidget* focus = QApplication::focusWidget();
    if (focus && isAncestorOf(focus)) return;
    if (OnExit) OnExit(this);
}
