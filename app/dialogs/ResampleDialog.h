// TFResample: offers a picture of more than a megapixel for resampling to
// the proposal its loader makes (about one megapixel with the picture's
// aspect). The two edits stay locked to the proposal's aspect, and "Resample" takes only sizes between 100
// pixels and the picture's own size. "Leave original" always closes.
#pragma once

#include <QDialog>

#include <cstdint>
#include <string>
#include <vector>

class QLabel;
class QPushButton;
class QSpinBox;

// The edits' own range: a side is never below 1, and typed text never
// reaches the arithmetic unbounded.
constexpr int ResampleMinSide = 1;
constexpr int ResampleMaxSide = 1000000;

// The locked aspect, width / height in single precision.
float ResampleAspect(int width, int height);
// The side that follows an edited one, within the edits' range.
int ResampleLockedHeight(int width, float aspect);
int ResampleLockedWidth(int height, float aspect);
// The messages that keep the dialog open for a chosen size, in the order shown.
std::vector<std::string> ResampleProblems(int width, int height, int originalWidth, int originalHeight);

class TFResample : public QDialog {
public:
    explicit TFResample(QWidget* parent = nullptr);

    // Set by the caller before showing.
    int OriginalWidth = 0, OriginalHeight = 0;
    int RecommendedWidth = 0, RecommendedHeight = 0;

    // The chosen size, read after an accepted showing.
    int ChosenWidth() const;
    int ChosenHeight() const;
    float AspectRatio() const { return AspectRatio_; }

    QSpinBox* seWidth() const { return seWidth_; }
    QSpinBox* seHeight() const { return seHeight_; }
    QLabel* lblRes() const { return lblRes_; }
    QPushButton* btResample() const { return btResample_; }
    QPushButton* btLeave() const { return btLeave_; }

    // "Resample": checked; every other way out closes unchecked.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnChange(QSpinBox* sender);

    float AspectRatio_ = 1.0f;
    bool attached_ = false;
    QSpinBox* seWidth_ = nullptr;
    QSpinBox* seHeight_ = nullptr;
    QLabel* lblRes_ = nullptr;
    QPushButton* btResample_ = nullptr;
    QPushButton* btLeave_ = nullptr;
};
