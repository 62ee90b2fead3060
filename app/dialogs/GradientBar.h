// The smooth progress bar of the progress window and the apply dialog: a
// sunken trough filled from the left with a light-to-deeper blue gradient.
#pragma once

#include <QWidget>

#include <cstdint>

class TGradientBar : public QWidget {
public:
    explicit TGradientBar(QWidget* parent = nullptr);

    // A position outside the range is shown at the nearer end.
    void SetRange(int64_t minimum, int64_t maximum);
    void SetPosition(int64_t position);
    int64_t Minimum() const { return minimum_; }
    int64_t Maximum() const { return maximum_; }
    int64_t Position() const { return position_; }

    // The filled share of the trough, 0..1; an empty range counts as full
    // once the position has reached it.
    double Fraction() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int64_t minimum_ = 0, maximum_ = 100, position_ = 0;
};
