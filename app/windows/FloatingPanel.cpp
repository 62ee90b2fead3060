#include "app/windows/FloatingPanel.h"

#include "app/windows/HeaderPanel.h"

#include <QMouseEvent>
#include <QVBoxLayout>

TFormPanel::TFormPanel() : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
{
    setWindowOpacity(AlphaBlendValue / 255.0);
    // Opening a panel leaves the keyboard with the main window; a click on
    // the panel activates it.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The toolkit shows hints only in the active window, which a panel is
    // not until it is clicked.
    setAttribute(Qt::WA_AlwaysShowToolTips);
    // A click on the body, the caption or the pin takes the keyboard to the
    // window itself, where the main window's command keys answer; without
    // it the activation would hand the keyboard to the first gauge's box.
    setFocusPolicy(Qt::ClickFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    resize(250, 135);
}

void TFormPanel::SetPanel(THeaderPanel* panel)
{
    panel_ = panel;
    layout()->addWidget(panel);
    setWindowTitle(panel->Setup().Caption);
    resize(panel->size());
}

void TFormPanel::FormMouseDown(QPoint screenPos)
{
    dragging_ = true;
    startPos_ = pos();
    startMouse_ = screenPos;
}

void TFormPanel::FormMouseMove(QPoint screenPos)
{
    if (!dragging_) return;
    move(startPos_ - (startMouse_ - screenPos));
}

void TFormPanel::FormMouseUp() { dragging_ = false; }

void TFormPanel::setVisible(bool visible)
{
    if (stepAside_.AllowVisible(visible)) QWidget::setVisible(visible);
}

bool TFormPanel::event(QEvent* event)
{
    stepAside_.WindowEvent(*event);
    return QWidget::event(event);
}

void TFormPanel::mousePressEvent(QMouseEvent* event) { FormMouseDown(event->globalPosition().toPoint()); }
void TFormPanel::mouseMoveEvent(QMouseEvent* event) { FormMouseMove(event->globalPosition().toPoint()); }
void TFormPanel::mouseReleaseEvent(QMouseEvent*) { FormMouseUp(); }
