#include "app/dialogs/ScreenCentre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace {

void CentreIn(QWidget& window, const QRect& area)
{
    if (!area.isValid()) return;
    const QRect frame = window.frameGeometry();
    window.move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

} // namespace

void CentreOnScreen(QWidget& window)
{
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (screen) CentreIn(window, screen->availableGeometry());
}

void CentreOnOwner(QWidget& window, const QWidget* owner)
{
    if (owner && owner->isVisible())
        CentreIn(window, owner->frameGeometry());
    else
        CentreOnScreen(window);
}
