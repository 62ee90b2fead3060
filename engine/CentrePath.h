// The centre path of a stroke: a curve flattened into one byte direction per
// pixel step, and the two-pixel-wide trail that a turtle leaves walking it.
// The line sampler and the bitmap-brush renderer walk their centre lines with
// this one piece of code, so both see the same pixels for the same curve.
#pragma once

#include "engine/Bezier.h"
#include "engine/Turtle.h"

#include <cstdint>
#include <functional>
#include <vector>

// One pixel of a walked path, relative to the path's start, with the
// sub-pixel position of the walking turtle when the pixel was recorded.
struct TLineSample {
    int32_t X = 0, Y = 0;
    float FX = 0, FY = 0;
};

class TCentrePath {
public:
    // Steers the turtle before step I of a walk that does not follow StepDirs.
    using TSteer = std::function<void(int32_t i, TTurtle& turtle)>;

    // The last curve point that stands for "none yet".
    static constexpr TPoint NoPointYet{-1, -1};

    // No steps, no samples, no curve point yet.
    void Clear();
    // N steps of direction 0 (none for N <= 0); the samples are kept.
    // A path longer than this is no stroke at all: no picture is that large,
    // and a crafted style or pattern must not make one stroke allocate gigabytes.
    static constexpr int32_t MaxLength = 1 << 20;

    // N steps of direction 0; N <= 0 or N > MaxLength leaves the path empty.
    void SetLength(int32_t n);
    // Replaces the path by the flattened curve: one step per pixel of
    // Manhattan length of the eight pieces' control polygons, each segment
    // walked in its own direction. Only the points' differences count.
    void SetBezier(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3);
    // Extends the path from the last curve point to P; when the last point
    // is NoPointYet, P only becomes the last point.
    void AddPoint(const TPoint& p);

    // Walks Length steps from (0, 0), the turtle's Direction written from
    // StepDirs at every step (the accumulator carries over), and records
    // the trail in Samples (emptied first). The position after the last step
    // is not recorded.
    void Walk();
    // The same walk, steered by Steer instead of StepDirs.
    void Walk(const TSteer& steer);

    int32_t Length() const { return static_cast<int32_t>(stepDirs_.size()); }
    bool Empty() const { return stepDirs_.empty(); }
    const std::vector<TByteDirection>& StepDirs() const { return stepDirs_; }
    const std::vector<TLineSample>& Samples() const { return samples_; }

private:
    template <class Steer> void WalkWith(Steer&& steer);
    // Appends P unless one of the last four samples is the same pixel, so the
    // trail holds each pixel normally once, in walking order.
    void AddSample(const TPoint& p, const TSinglePoint& sp);

    std::vector<TByteDirection> stepDirs_;
    std::vector<TLineSample> samples_;
    bool tooLong_ = false;  // the curve ran past MaxLength: the path stays empty
    TPoint lastPoint_{0, 0};
};
