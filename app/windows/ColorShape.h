// TColorShape: a small shape that shows one colour, or a white diagonal
// cross when it holds none. The colour panel's swatches (round) and its two
// "Fixed" colours (square) are shapes.
#pragma once

#include "gfx/Color32.h"

#include <QColor>
#include <QWidget>

#include <optional>

class TColorShape : public QWidget {
public:
    enum class TShapeKind { Circle, Rectangle };

    TColorShape(TShapeKind kind, int size, QColor outline, QWidget* parent = nullptr);

    // A solid brush of `color` (alpha ignored), or the empty look.
    void SetColor(std::optional<TColor32> color);
    std::optional<TColor32> Color() const { return color_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TShapeKind kind_;
    QColor outline_;
    std::optional<TColor32> color_;
};
