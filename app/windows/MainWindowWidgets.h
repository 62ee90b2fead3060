// Small builders of the main window's controls, shared by the files that
// lay out its bottom bar and its floating panels.
#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QLabel;
class QPixmap;
class QToolButton;
class QWidget;

// A label at a fixed place, in a colour.
QLabel* NewLabel(QWidget* parent, const QString& text, QRect geometry, const QColor& colour);
// The panels keep their designed sizes: a label too long for its place
// takes a smaller font (11 down to 9 pixels).
void FitFont(QLabel* label, bool bold);
// A flat button showing a picture.
QToolButton* NewPictureButton(QWidget* parent, QRect geometry, const QPixmap& picture);
// A picture box: a label that shows a pixmap centred.
QLabel* NewPreview(QWidget* parent, QRect geometry);
