// TFormPanel: the borderless, always-on-top, slightly transparent window that
// hosts one floating settings panel. The user drags it by any part of the
// panel that does not handle the mouse itself: a press starts the drag, every
// move shifts the window by the pointer's travel since the press, the
// release ends it. Its hints show whether or not it is the active window.
#pragma once

#include "app/dialogs/ModalStepAside.h"

#include <QPoint>
#include <QWidget>

class THeaderPanel;

class TFormPanel : public QWidget {
public:
    static constexpr int AlphaBlendValue = 240;

    TFormPanel();

    // Puts `panel` in the window, filling it; the window takes its size.
    void SetPanel(THeaderPanel* panel);
    THeaderPanel* Panel() const { return panel_; }
    bool Dragging() const { return dragging_; }

    // The drag steps, with the pointer's screen position.
    void FormMouseDown(QPoint screenPos);
    void FormMouseMove(QPoint screenPos);
    void FormMouseUp();

    // Hidden while a modal dialog is open, back when it closes.
    void setVisible(bool visible) override;

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPoint startPos_;
    QPoint startMouse_;
    bool dragging_ = false;
    THeaderPanel* panel_ = nullptr;
    TModalStepAside stepAside_{*this};
};
