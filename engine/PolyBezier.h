// An editable curve on screen: a start point and a chain of line and cubic
// segments, with one selected point that the pointer drags, a hit test, and
// drawing with handles, tangents or as a dashed band around the curve. Curves
// live in a TPolyBezierLayer, which owns, paints and hit-tests them.
#pragma once

#include "engine/Bezier.h"
#include "gfx/Bitmap32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>
#include <vector>

// Where new curves take the glyph drawn on the handles of the highlighted
// curve (the main window's stock image). The application registers it.
class IHandleGlyphSource {
public:
    virtual ~IHandleGlyphSource() = default;
    // Borrowed; may be nullptr.
    virtual const TBitmap32* HandleGlyph() const = 0;
};

// Registers (or with nullptr removes) the glyph source; not owned.
void SetHandleGlyphSource(IHandleGlyphSource* source);
// The registered source's glyph, or nullptr without one.
const TBitmap32* CurrentHandleGlyph();

// One link of the chain. It starts where the previous one ends (segment 0 at
// the curve's start point).
struct TPolyBezierSegment {
    static constexpr uint8_t skLine = 0;  // P1 is the end point; P2 and P3 unused
    static constexpr uint8_t skCurve = 1; // P1, P2 control points, P3 the end point
    uint8_t Kind = skLine;
    TPoint P1, P2, P3;
    TPoint EndPoint() const { return Kind == skCurve ? P3 : P1; }
    friend bool operator==(const TPolyBezierSegment&, const TPolyBezierSegment&) = default;
};

class TPolyBezier {
public:
    using TNotifyEvent = std::function<void(TPolyBezier& sender)>;

    // Selected point numbers: the start point, a line's end, a curve's first
    // and second control point and its end.
    static constexpr int32_t spStart = -1, spNone = 0, spLineEnd = 1, spControl1 = 2, spControl2 = 3, spCurveEnd = 4;

    // A curve with no segments; it takes the registered handle glyph now.
    explicit TPolyBezier(const TPoint& startPoint);

    // --- The chain ---------------------------------------------------------

    int32_t AddSegment(const TPolyBezierSegment& segment);
    static TPolyBezierSegment MakeCurveSegment(const TPoint& control1, const TPoint& control2, const TPoint& end);
    // Appends a curve segment and selects its end point; fires OnChange.
    void AddCurveSegment(const TPoint& control1, const TPoint& control2, const TPoint& end);
    // Outside 0..SegmentCount() - 1 raises the index error "TPolyBezier.GetSegment".
    TPolyBezierSegment GetSegment(int32_t index) const;
    int32_t SegmentCount() const { return static_cast<int32_t>(segments_.size()); }
    // The end of the segment before (range-checked), or the start point for index 0 or below.
    TPoint SegmentStart(int32_t index) const;
    TPoint SelectedSegmentStart() const { return SegmentStart(selectedSegment_); }
    // The segment as a Bezier record; a line becomes a straight one with both
    // control points on its midpoint.
    TBezier GetBezier(int32_t index) const;
    const TPoint& StartPoint() const { return startPoint_; }

    // --- Selection and editing ----------------------------------------------

    // Selects the first point within HitTolerance (Manhattan distance, in view
    // pixels) of (X, Y): the start point first, then each segment's points in
    // order. Points are placed as Draw places them, at Origin.
    bool HitTest(const TPoint& origin, int32_t x, int32_t y);
    // Moves the selected point to (X, Y) (curve coordinates); KeepStraight puts a
    // curve's control points on the midpoint of its chord. Without a valid
    // selection nothing changes and no event fires.
    void MoveSelectedPoint(int32_t x, int32_t y, bool keepStraight);
    // Sets point PointIndex (2, 3 or 4) of the selected curve segment, or a
    // selected line's end point whatever the index. Needs a selected segment;
    // without one, or with another index on a curve, nothing happens.
    void SetSegmentPoint(int32_t x, int32_t y, int32_t pointIndex);
    int32_t SelectedSegment() const { return selectedSegment_; }
    int32_t SelectedPoint() const { return selectedPoint_; }
    int32_t HitTolerance = 8;

    // --- Appearance -----------------------------------------------------------

    uint8_t Mode() const { return mode_; }
    // 0 plain one-pixel lines; other values anti-aliased lines and dotted tangents. Fires OnChange.
    void SetMode(uint8_t mode);
    TColor32 Color() const { return color_; }
    // Fires OnChange only when the colour differs.
    void SetColor(TColor32 color);
    float Width() const { return width_; }
    // Exactly 1: curve with handles; below 1: curve alone; above 1: a band
    // whose edges lie Width curve pixels on either side.
    void SetWidth(float width) { width_ = width; }
    bool Highlighted() const { return highlighted_; }
    void SetHighlighted(bool on) { highlighted_ = on; }
    const TBitmap32* HandleGlyph() const { return handleGlyph_; }
    void SetHandleGlyph(const TBitmap32* glyph) { handleGlyph_ = glyph; }
    void SetOnChange(TNotifyEvent handler) { onChange_ = std::move(handler); }

    // Draws into Target with every point at Origin + point.
    void Draw(const TPoint& origin, TBitmap32& target);
    const TPoint& Origin() const { return origin_; }

private:
    void Changed();
    bool ValidSegment(int32_t index) const { return index >= 0 && index < SegmentCount(); }
    // A segment of the chain is selected, and one of its points (not just the
    // initial "nothing yet").
    bool HasSelectedSegment() const;
    TPoint& SelectedCurvePoint(TPolyBezierSegment& segment, int32_t number);
    // A curve point in view pixels: Origin + point * Scale.
    TPoint ToView(const TPoint& p) const;
    TBezier ToView(const TBezier& c) const;
    bool Near(const TPoint& p, int32_t x, int32_t y) const;

    void DrawLineSegment(const TPoint& s, const TPoint& e);
    void DrawCurveSegment(const TBezier& curve);
    void DrawHandle(const TPoint& p, bool glyph);
    void DrawLine(const TPoint& a, const TPoint& b, bool tangent);
    void DrawPiece(const TBezier& piece);
    void DrawBand(const TBezier& curve);
    void DrawBandCaps(const TBezier& viewCurve);

    TPoint startPoint_;
    std::vector<TPolyBezierSegment> segments_;
    TNotifyEvent onChange_;
    TBitmap32* target_ = nullptr;
    uint8_t mode_ = 0;
    int32_t selectedSegment_ = 0;
    int32_t selectedPoint_ = spNone;
    TColor32 color_ = 0;
    const TBitmap32* handleGlyph_ = nullptr;
    TPoint origin_;
    bool highlighted_ = false;
    float width_ = 1.0f;
    bool bandPiece_ = false;   // DrawPiece draws a band edge
    int64_t tangentPhase_ = 0; // dots carry on from one tangent to the next
};
