// Placing a window in the middle of the screen or of its owner window, and
// fitting a big window to the screen.
#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

void CentreOnScreen(QWidget& window);
// In the middle of `owner`'s frame while the owner is shown, otherwise of the
// screen.
void CentreOnOwner(QWidget& window, const QWidget* owner);

// The frame rectangle of a window whose client area would be `design`, framed
// by `frame`, on a screen whose free area is `available`: the whole window
// centred in that area, its client area shrunk as far as needed to fit, but
// never below `minimum`. A window that cannot fit even so keeps its top left
// corner, and with it the title bar, in the area.
QRect FitOnScreen(QSize design, QSize minimum, QMargins frame, QRect available);

// Gives a top-level window that is not shown yet the client size `design` in
// the middle of its screen, or the part of it that the screen's free area
// holds, title bar and borders included. Until the window manager has framed
// the window its frame is guessed; the window is fitted once more when the
// real frame turns out bigger than the guess or the guess cost it room.
void PlaceOnScreen(QWidget& window, QSize design);
