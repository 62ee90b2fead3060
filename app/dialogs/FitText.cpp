#include "app/dialogs/FitText.h"

#include <QFont>
#include <QFontMetrics>
#include <QLabel>
#include <QString>

void FitFontToWidth(QLabel& label, const QFont& base, const QString& text)
{
    QFont font = base;
    const int room = label.contentsRect().width();
    while (QFontMetrics(font).horizontalAdvance(text) > room) {
        if (font.pointSizeF() > 6.0)
            font.setPointSizeF(font.pointSizeF() - 0.5);
        else if (font.pixelSize() > 8)
            font.setPixelSize(font.pixelSize() - 1);
        else
            break;
    }
    label.setFont(font);
}
