// The eyedropper pointer of the colour maps: a pipette whose tip, at the
// bottom left, is the hot spot.
#pragma once

#include <QCursor>

QCursor EyedropperCursor();
