// The main window's own pictures, drawn in code: the five tool buttons, the
// glyphs of the style and pattern buttons.
#pragma once

#include <QPixmap>

// Tool button pictures in the order of the tool buttons: pointer, auto-sketch,
// pattern, free hand, "What is this?" (32 x 32).
QPixmap ToolButtonPicture(int index);

enum class TGlyph { New, Save, SaveAs, Reset, Delete, Edit, Popup };
// 16 x 16 glyphs of the picture buttons.
QPixmap ButtonGlyph(TGlyph glyph);
