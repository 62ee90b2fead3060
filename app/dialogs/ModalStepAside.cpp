#include "app/dialogs/ModalStepAside.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

void TModalStepAside::WindowEvent(const QEvent& event)
{
    if (event.type() == QEvent::WindowBlocked) {
        if (!window_.isVisible()) return;
        SetVisible(false);
        wanted_ = true;
    } else if (event.type() == QEvent::WindowUnblocked) {
        if (!wanted_ || Blocked()) return;
        wanted_ = false;
        SetVisible(true);
        window_.raise();
    }
}

bool TModalStepAside::AllowVisible(bool visible)
{
    if (own_) return true;
    if (visible && Blocked()) {
        wanted_ = true;
        return false;
    }
    wanted_ = false;
    return true;
}

bool TModalStepAside::Blocked() const
{
    const QWidget* modal = QApplication::activeModalWidget();
    return modal && modal != &window_ && !window_.isAncestorOf(modal);
}

void TModalStepAside::SetVisible(bool visible)
{
    own_ = true;
    window_.setVisible(visible);
    own_ = false;
}
