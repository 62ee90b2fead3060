// TOcraEdit: the gauge bar's small edit box. It lets through only what can
// make a number (digits, minus, point) and turns Enter into Tab, so that
// Enter commits the text the way leaving the box does.
#pragma once

#include <QLineEdit>

#include <functional>

class TOcraEdit : public QLineEdit {
public:
    explicit TOcraEdit(QWidget* parent = nullptr);

    // A key that passed the filter, as the character it became (Enter
    // arrives as Tab). Editing keys without a character (arrows, Delete) and
    // the clipboard shortcuts are not filtered and not reported.
    std::function<void(TOcraEdit* Sender, char Key)> OnKeyPress;
    std::function<void(TOcraEdit* Sender)> OnExit;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
};
