// Traces one stroke over the feature map: walks a centre path from a start
// point (along a given curve, a curve fitted to the map's directions, or the
// map's directions directly), averages the picture's colour under copies of
// that path laid side by side, and builds the stroke's two outline edges in
// 16.16 fixed point. Reports the rectangle of the map it touched.
#pragma once

#include "engine/CentrePath.h"
#include "engine/Turtle.h"
#include "gfx/Bitmap32.h"
#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>

// Asked for a direction at map pixel (X, Y) where the map's own is
// unreliable. Dir holds the previous direction on entry.
using TGetDirectionEvent = std::function<void(int32_t x, int32_t y, TByteDirection& dir)>;

class TLineSampler {
public:
    // Raises EngineError for a missing or empty bitmap; the two may differ in
    // size, since Dest is only checked. Starts at the map's centre and draws
    // Reverse from the generator (one draw).
    TLineSampler(const TBitmap32* feat, const TBitmap32* dest);

    // A map pixel; a start outside the map finds no colour.
    void SetStart(const TPoint& p) { start_ = p; }
    // N steps of direction 0; N <= 0 leaves no path and no stroke.
    void SetLength(int32_t n) { path_.SetLength(n); }
    void SetScanWidth(float w) { scanWidth_ = w; }
    void SetPolyStep(int32_t n) { polyStep_ = n; }
    void SetScale(float s) { scale_ = s; }
    void SetGain(float g) { widthFactor_ = Single(double(g) / 765.0); }
    void SetThreshold(uint8_t b) { threshold_ = b; }
    void SetOnGetDirection(TGetDirectionEvent e) { onGetDirection_ = std::move(e); }
    // Replaces the path by the flattened curve and drops any outline.
    void SetBezier(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3);
    void SetBezier(const TBezier& b) { SetBezier(b.P0, b.P1, b.P2, b.P3); }

    // End each copy of the path at the first edge-marked pixel.
    bool StopAtEdges = true;

    // Runs the whole trace once. True when Color, Left and Right describe a
    // stroke; False when no pixel could be summed or there is no outline.
    bool Sample();
    // The touched rectangle grown by 5 pixels and clipped to the map; an
    // inverted rectangle when nothing inside the map was touched.
    TRect GetBounds() const;

    TColor32 Color() const { return color_; }
    const TArrayOfFixedPoint& Left() const { return left_; }
    const TArrayOfFixedPoint& Right() const { return right_; }

    int32_t Length() const { return path_.Length(); }
    TPoint Start() const { return start_; }
    int32_t PolyStep() const { return polyStep_; }
    float ScanWidth() const { return scanWidth_; }
    float Scale() const { return scale_; }
    float WidthFactor() const { return widthFactor_; }
    uint8_t Threshold() const { return threshold_; }
    bool Reverse() const { return reverse_; }
    bool HasDirectionEvent() const { return static_cast<bool>(onGetDirection_); }
    int64_t Count() const { return count_; }
    const TCentrePath& Path() const { return path_; }

private:
    bool Trace();
    void Walk();
    void ReadDirection(TTurtle& turtle);
    void ScanColour();
    void PrefetchPath(const TPoint& at) const;
    void ScanPath(const TPoint& at);
    void MeanColour();
    bool BuildOutline();
    bool AddOutlinePair(int32_t i, int32_t j);
    bool AddOutlinePoint(double x, double y, TArrayOfFixedPoint& edge);
    void IncludeInBounds(float x, float y);
    void IncludePixel(int32_t x, int32_t y);

    const TBitmap32& feat_;
    // 64 bits: a wide scan over a long path can sum more than 32 bits hold.
    int64_t count_ = 0, sumR_ = 0, sumG_ = 0, sumB_ = 0;
    TCentrePath path_;
    TPoint start_;
    float scanWidth_ = 10.0f;
    float widthFactor_;
    int32_t polyStep_ = 20;
    TGetDirectionEvent onGetDirection_;
    float scale_ = 2.0f;
    bool reverse_ = false;
    TRect bounds_;
    TColor32 color_ = 0;
    uint8_t threshold_ = 0;
    TArrayOfFixedPoint left_, right_;
};
