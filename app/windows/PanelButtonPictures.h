// The three 18 x 18 pictures of the floating panels' header buttons.
#pragma once

#include <QPixmap>

enum class TPanelButtonPicture { Close = 0, Pinned = 1, NotPinned = 2 };

QPixmap PanelButtonPicture(TPanelButtonPicture which);
