// TOcraSlider: a slider drawn entirely from two bitmaps, a ruler stretched
// over the control and a thumb with a normal and a pressed look. The user drags
// the thumb with the left button; the control reports the start, every step and
// the end of a drag. The colour selector sets its lightness with one.
#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>
#include <functional>

class TOcraSlider : public QWidget {
    Q_OBJECT

public:
    explicit TOcraSlider(QWidget* parent = nullptr);
    ~TOcraSlider() override;

    // The ruler; default the resource "OCRARULER" (191 x 11). With AutoSize on,
    // a non-empty ruler gives the control its size.
    const QImage& ImageRuler() const { return ruler_; }
    void SetImageRuler(const QImage& image);
    // The two thumb looks side by side, normal left, pressed right; default the
    // resource "OCRATHUMB" (52 x 8).
    const QImage& ImageThumb() const { return thumbs_; }
    void SetImageThumb(const QImage& image);

    // The thumb moves along x when on, along y when off.
    bool Horizontal() const { return horizontal_; }
    void SetHorizontal(bool value);
    // At least 1: the track is divided into Maximum steps.
    int32_t Maximum() const { return maximum_; }
    void SetMaximum(int32_t value);
    // Always 0..Maximum. Writing it fires no event.
    int32_t Position() const { return position_; }
    void SetPosition(int32_t value);
    // On from construction: the control takes the ruler's size.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);

    // The look drawn now: the pressed one while a button is down.
    const QImage& ShownThumb() const { return swapped_ ? pressedThumb_ : normalThumb_; }
    // Pixels of track per position step; 0 or less when the thumb fills the control.
    double Scale() const;
    // Where the thumb is drawn: its offset along the track and across it.
    int32_t ThumbAlongOffset() const;
    int32_t ThumbAcrossOffset() const;

    std::function<void()> OnBeginChange; // a button went down
    std::function<void()> OnChanged;     // each drag step that placed the thumb
    std::function<void()> OnStopChanged; // the button came up

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void BuildThumb();
    void ApplyAutoSize();
    void DragTo(int32_t along);
    int32_t AlongSize(QSize size) const { return horizontal_ ? size.width() : size.height(); }
    int32_t AcrossSize(QSize size) const { return horizontal_ ? size.height() : size.width(); }

    QImage ruler_;
    QImage thumbs_;
    QImage normalThumb_;
    QImage pressedThumb_;
    bool horizontal_ = true;
    bool dragging_ = false;
    int32_t maximum_ = 100;
    int32_t position_ = 0;
    bool swapped_ = false;
    bool tracking_ = false;
    bool autoSize_ = false;
};
