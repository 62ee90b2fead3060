#include "controls/FloatSpinEdit.h"

#include "controls/FocusExit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <cmath>

namespace {

// The character a key press types, if any. X11 attaches DEL to the Delete
// key, which edits like Backspace and is no typed character.
std::optional<char32_t> TypedChar(const QKeyEvent& event)
{
    const QString text = event.text();
    if (text.size() != 1 || text.at(0).unicode() == 0x7f) return std::nullopt;
    return text.at(0).unicode();
}

} // namespace

TFloatEdit::TFloatEdit(QWidget* parent) : QAbstractSpinBox(parent)
{
    lineEdit()->setText("0");
    connect(lineEdit(), &QLineEdit::textChanged, this, [this] {
        if (OnChange) OnChange(this);
    });
    lineEdit()->installEventFilter(this);
}

// A click is a left button that comes up over the text it went down on.
bool TFloatEdit::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && event->type() == QEvent::MouseButtonRelease && OnClick) {
        const auto* release = static_cast<QMouseEvent*>(event);
        if (release->button() == Qt::LeftButton && lineEdit()->rect().contains(release->position().toPoint()))
            OnClick(this);
    }
    return QAbstractSpinBox::eventFilter(watched, event);
}

double TFloatEdit::Value() const
{
    return ParseFloatText(text().toStdString(), FFType).value_or(FMinValue);
}

void TFloatEdit::SetValue(double value)
{
    const double limited = CheckFloatValue(value, FMinValue, FMaxValue);
    if (!std::isfinite(limited)) return;
    const QString text = QString::fromStdString(FormatFloatText(limited, FFType, FMinWidth, FDecimals));
    if (text != lineEdit()->text()) lineEdit()->setText(text);
}

void TFloatEdit::SetIncrement(double value)
{
    if (std::isfinite(value)) FIncrement = value;
}

void TFloatEdit::SetMinValue(double value)
{
    if (std::isfinite(value)) FMinValue = value;
}

void TFloatEdit::SetMaxValue(double value)
{
    if (std::isfinite(value)) FMaxValue = value;
}

void TFloatEdit::SetFType(TFloatFormat format)
{
    if (format == FFType) return;
    const double value = Value(); // read in the old format
    FFType = format;
    SetValue(value);
}

void TFloatEdit::SetMinWidth(int precision)
{
    if (precision == FMinWidth) return;
    FMinWidth = precision;
    SetValue(Value());
}

void TFloatEdit::SetDecimals(int digits)
{
    if (digits == FDecimals) return;
    FDecimals = digits;
    SetValue(Value());
}

void TFloatEdit::SetEditorEnabled(bool on)
{
    FEditorEnabled = on;
    lineEdit()->setReadOnly(!on || isReadOnly());
}

void TFloatEdit::UpClick() { Step(true); }

void TFloatEdit::DownClick() { Step(false); }

bool TFloatEdit::Step(bool up)
{
    const std::optional<double> next =
        isReadOnly() ? std::nullopt : StepFloatValue(Value(), FIncrement, FMultiply, up);
    if (!next) {
        Beep();
        return false;
    }
    SetValue(*next);
    return true;
}

// Page keys and the wheel may ask for several steps; a refused one ends them.
void TFloatEdit::stepBy(int steps)
{
    for (int i = 0; i < std::abs(steps); ++i)
        if (!Step(steps > 0)) return;
}

// The buttons never grey out: a step that cannot be taken is refused with a
// beep when it is asked for.
QAbstractSpinBox::StepEnabled TFloatEdit::stepEnabled() const
{
    return StepUpEnabled | StepDownEnabled;
}

bool TFloatEdit::RefusesEditing(const QKeyEvent& event) const
{
    if (FEditorEnabled) return false;
    return event.key() == Qt::Key_Delete || event.matches(QKeySequence::Paste) ||
           event.matches(QKeySequence::Cut) || event.matches(QKeySequence::Undo) ||
           event.matches(QKeySequence::Redo);
}

void TFloatEdit::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        Step(key == Qt::Key_Up);
        event->accept();
        return;
    }
    // Enter is left to the window, so a dialog's default button takes it.
    const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
    const std::optional<char32_t> typed = TypedChar(*event);
    const bool refusedChar = !enter && typed && !IsFloatEditChar(*typed, FEditorEnabled);
    if (refusedChar || RefusesEditing(*event)) {
        Beep();
        event->accept();
        return;
    }
    QAbstractSpinBox::keyPressEvent(event);
}

// A number typed outside the limits is replaced by the nearer limit when the
// focus leaves; one inside keeps the text as typed.
void TFloatEdit::focusOutEvent(QFocusEvent* event)
{
    QAbstractSpinBox::focusOutEvent(event);
    if (!FocusMovedToAnotherControl(*event)) return;
    if (OnExit) OnExit(this);
    const double value = Value();
    if (CheckFloatValue(value, FMinValue, FMaxValue) != value) SetValue(value);
}

void TFloatEdit::Beep() { QApplication::beep(); }
