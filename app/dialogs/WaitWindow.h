// TFWait: the one progress window of the process. Long operations open a
// range with Start, move it with Step or SetPosition and close it with
// Finish; ranges nest, and only the outermost pair shows and hides the
// window. While it is up the main window is disabled, and position updates
// repaint at once and pump pending events so the screen stays alive. A
// right-click on the window resets the nesting, the way out when an
// operation left it up.
#pragma once

#include "engine/Progress.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>

class QLabel;
class QTimer;
class TGradientBar;

// The four frames of the window's animation (51 x 52 each): a pen nib
// drawing an inked line across a sheet.
std::array<QImage, 4> MakeWaitAnimationFrames();

// Whether Step moves the bar: the counter has gone at least 1 % of the
// range since the bar was last set (every step for an empty range).
bool WaitStepShows(int64_t counter, int64_t lastShown, int64_t rangeMin, int64_t rangeMax);

class TFWait : public QWidget, public IProgress {
public:
    // `mainWindow` is disabled while the window is up; it is not owned and
    // may go away first.
    explicit TFWait(QWidget* mainWindow = nullptr);
    ~TFWait() override;

    void Start(int min, int max) override;
    void Step() override;
    void SetPosition(int position) override;
    void Finish() override;

    int NestLevel() const { return NestLevel_; }
    int64_t Counter() const { return Counter_; }
    int64_t RangeMin() const { return RangeMin_; }
    int64_t RangeMax() const { return RangeMax_; }
    int64_t LastShown() const { return LastShown_; }
    // What the window shows: the bar's position and the caption.
    int64_t BarPosition() const;
    QString Caption() const;
    int AnimationFrame() const { return frame_; }

    // Processes pending events; tests replace it to count the pumps.
    std::function<void()> ProcessEvents;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ShowNow();
    void Pump();

    QPointer<QWidget> mainWindow_;
    int NestLevel_ = 0;
    int64_t Counter_ = 0;
    int64_t RangeMin_ = 0;
    int64_t RangeMax_ = 0;
    int64_t LastShown_ = 0;

    TGradientBar* progBar_ = nullptr;
    QLabel* Label1_ = nullptr;
    QTimer* timer_ = nullptr;
    std::array<QImage, 4> frames_;
    int frame_ = 0;
};
