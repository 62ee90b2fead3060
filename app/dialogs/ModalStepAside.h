// TModalStepAside: keeps a window that stays on top of all others (a
// floating settings panel, the help window) off a modal dialog of the
// program. The dialog blocks the mouse everywhere else, so such a window
// left over it could be neither used nor moved, and would hide the dialog's
// controls. While a modal dialog is open the window is hidden; when the
// dialog closes it comes back if it was shown, or was asked to show, in the
// meantime.
//
// The window forwards two things:
//   bool event(QEvent* e) override { stepAside_.WindowEvent(*e); return Base::event(e); }
//   void setVisible(bool v) override { if (stepAside_.AllowVisible(v)) Base::setVisible(v); }
#pragma once

class QEvent;
class QWidget;

class TModalStepAside {
public:
    explicit TModalStepAside(QWidget& window) : window_(window) {}

    // Hides the window when a modal dialog blocks it; shows it again when
    // the dialog is gone and the window is still wanted.
    void WindowEvent(const QEvent& event);
    // False when `visible` is a request to show the window while a modal
    // dialog blocks it: the request is kept for when the dialog closes. A
    // request to hide always passes and forgets a kept one.
    bool AllowVisible(bool visible);
    // The window is hidden for a dialog and will come back.
    bool SteppedAside() const { return wanted_; }

private:
    bool Blocked() const;
    void SetVisible(bool visible);

    QWidget& window_;
    bool wanted_ = false;
    bool own_ = false;
};
