// TFullScreenPreview: the current result alone on the whole primary screen,
// fitted with its proportions kept, until any key or any mouse button.
#pragma once

#include "gfx/Bitmap32.h"

#include <QDialog>

class TImageViewWidget;

class TFullScreenPreview : public QDialog {
    Q_OBJECT

public:
    explicit TFullScreenPreview(QWidget* parent = nullptr);
    ~TFullScreenPreview() override;

    // Takes a copy of the result and covers the primary screen with it; the
    // copy is kept until the next preview.
    void Prepare(const TBitmap32& result);
    // Prepare, then shows the preview modally until a key or a click.
    int ShowPreview(const TBitmap32& result);

    const TBitmap32& Picture() const { return picture_; }
    TImageViewWidget& Image321() const { return *image_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    TImageViewWidget* image_;
    TBitmap32 picture_;
};
