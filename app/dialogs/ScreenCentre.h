// Placing a window in the middle of the screen or of its owner window.
#pragma once

class QWidget;

void CentreOnScreen(QWidget& window);
// In the middle of `owner`'s frame while the owner is shown, otherwise of the
// screen.
void CentreOnOwner(QWidget& window, const QWidget* owner);
