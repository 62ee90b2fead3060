// Fitting a text to a label of fixed width: the dialogs keep their designed
// sizes, and a text wider than the system font allows is shown in a smaller
// font rather than cut off.
#pragma once

class QFont;
class QLabel;
class QString;

// Gives `label` the largest font, from `base` down to a floor of 6 points (or
// 8 pixels), in which `text` fits the label's width.
void FitFontToWidth(QLabel& label, const QFont& base, const QString& text);
