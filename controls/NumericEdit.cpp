#include "controls/NumericEdit.h"

#include "controls/FocusExit.h"
#include "controls/GaugeScale.h"

#include <QKeyEvent>

TOcraEdit::TOcraEdit(QWidget* parent) : QLineEdit(parent) {}

namespace {

// The character a key press types, or 0 for keys that type none. Enter and
// Return count as '\r' whatever text the platform attaches to them.
char TypedChar(const QKeyEvent& event)
{
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter) return '\r';
    if (event.key() == Qt::Key_Backspace) return '\b';
    const QString text = event.text();
    if (text.size() != 1) return 0;
    const char16_t c = text.at(0).unicode();
    if (c < 32 || c == 127) return 0; // Ctrl+C, Ctrl+V and the like stay editing shortcuts
    return c < 128 ? static_cast<char>(c) : '\x7f';
}

} // namespace

void TOcraEdit::keyPressEvent(QKeyEvent* event)
{
    const char typed = TypedChar(*event);
    if (!typed) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    const char key = FilterGaugeKey(typed);
    if (key == 0) {
        event->accept();
        return;
    }
    if (OnKeyPress) OnKeyPress(this, key);
    if (key == '\t') {
        // Enter commits and keeps the focus here, as the old platform's Tab
        // character did inside a single-line box.
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void TOcraEdit::focusOutEvent(QFocusEvent* event)
{
    QLineEdit::focusOutEvent(event);
    if (FocusMovedToAnotherControl(*event) && OnExit) OnExit(this);
}
