#include "app/windows/MainWindowWidgets.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPixmap>
#include <QToolButton>

void FitFont(QLabel* label, bool bold)
{
    QFont font = label->font();
    font.setBold(bold);
    for (int pixels = 11; pixels >= 9; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(label->text()) <= label->width()) break;
    }
    label->setFont(font);
}

QToolButton* NewPictureButton(QWidget* parent, QRect geometry, const QPixmap& picture)
{
    auto* button = new QToolButton(parent);
    button->setGeometry(geometry);
    button->setIcon(picture);
    button->setAutoRaise(true);
    return button;
}

QLabel* NewLabel(QWidget* parent, const QString& text, QRect geometry, const QColor& colour)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

QLabel* NewPreview(QWidget* parent, QRect geometry)
{
    auto* preview = new QLabel(parent);
    preview->setGeometry(geometry);
    preview->setAlignment(Qt::AlignCenter);
    return preview;
}
