#include "engine/PolyBezier.h"

#include "engine/GTypes.h"
#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <span>

namespace {

IHandleGlyphSource* glyphSource = nullptr;

// Tangents are dotted: one half-transparent blue pixel in four.
constexpr TColor32 TangentStipple[] = {0x7F0000FFu, 0, 0, 0};
// Band edges are dashed, four pixels white then four black, so that they show
// on any picture.
constexpr TColor32 BandStipple[] = {clWhite32, clWhite32, clWhite32, clWhite32,
                                    clBlack32, clBlack32, clBlack32, clBlack32};

int32_t Saturate(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// The part [t0, t1] of the segment that lies within the rectangle; false when none.
bool ClipParameter(double x1, double y1, double dx, double dy, const TRect& r, double& t0, double& t1)
{
    return ClipSegmentRange(x1, y1, dx, dy, r.Left, r.Top, r.Right, r.Bottom, t0, t1);
}

// Draws anti-aliased lines whose colour changes at every pixel step along a
// pattern; runs of one colour become one line, transparent entries gaps. The
// phase (pixel steps drawn so far) carries on from line to line.
class TStipplePen {
public:
    TStipplePen(std::span<const TColor32> pattern, int64_t& phase) : pattern_(pattern), counter_(phase) {}

    void Line(TBitmap32& bmp, double x1, double y1, double x2, double y2)
    {
        const double dx = x2 - x1, dy = y2 - y1;
        const int64_t steps = static_cast<int64_t>(std::ceil(std::max(std::fabs(dx), std::fabs(dy))));
        if (steps <= 0 || bmp.Empty() || !std::isfinite(dx) || !std::isfinite(dy)) return;
        // Only the steps that can touch the bitmap are walked: a wild point costs nothing.
        double t0, t1;
        const TRect area{-2, -2, bmp.Width() + 2, bmp.Height() + 2};
        if (ClipParameter(x1, y1, dx, dy, area, t0, t1)) {
            const int64_t first = static_cast<int64_t>(std::floor(t0 * steps));
            const int64_t last = std::min<int64_t>(steps, static_cast<int64_t>(std::ceil(t1 * steps)));
            for (int64_t i = first; i < last;) {
                const TColor32 c = At(i);
                int64_t j = i + 1;
                while (j < last && At(j) == c) ++j;
                // Steps i..j-1 are pixels centred on the line: the run covers
                // them whole and stops short of the last point.
                const double u0 = (i - 0.5) / steps, u1 = (j - 0.5) / steps;
                if (AlphaComponent(c) != 0) bmp.LineFS(x1 + dx * u0, y1 + dy * u0, x1 + dx * u1, y1 + dy * u1, c);
                i = j;
            }
        }
        counter_ += steps;
    }

private:
    TColor32 At(int64_t step) const { return pattern_[static_cast<size_t>((counter_ + step) % pattern_.size())]; }

    std::span<const TColor32> pattern_;
    int64_t& counter_;
};

// The band's edge on one side of a control line A-B: the offset that moves A
// and B outward by Width, for the first side as floats rounded after adding,
// for the second side rounded before adding.
struct TOffsetLine {
    TPoint A1, B1, A2, B2;
};

// Worked out in curve coordinates: a half rounds to even, so rounding after
// the view's offset was added could move an edge by a pixel.
TOffsetLine OffsetControlLine(const TPoint& a, const TPoint& b, float width)
{
    const double theta = std::atan2(double(b.Y) - a.Y, double(b.X) - a.X);
    const float theta1 = Single(theta + M_PI / 2);
    const float fx = Single(std::cos(double(theta1)) * width);
    const float fy = Single(std::sin(double(theta1)) * width);
    const float theta2 = Single(double(theta1) - M_PI);
    const int64_t ox = Round(std::cos(double(theta2)) * width);
    const int64_t oy = Round(std::sin(double(theta2)) * width);
    return {{Round(a.X + double(fx)), Round(a.Y + double(fy))},
            {Round(b.X + double(fx)), Round(b.Y + double(fy))},
            {Saturate(a.X + ox), Saturate(a.Y + oy)},
            {Saturate(b.X + ox), Saturate(b.Y + oy)}};
}

} // namespace

void SetHandleGlyphSource(IHandleGlyphSource* source) { glyphSource = source; }

const TBitmap32* CurrentHandleGlyph() { return glyphSource ? glyphSource->HandleGlyph() : nullptr; }

TPolyBezier::TPolyBezier(const TPoint& startPoint) : startPoint_(startPoint), handleGlyph_(CurrentHandleGlyph()) {}

// --- The chain -----------------------------------------------------------------

int32_t TPolyBezier::AddSegment(const TPolyBezierSegment& segment)
{
    segments_.push_back(segment);
    return SegmentCount() - 1;
}

TPolyBezierSegment TPolyBezier::MakeCurveSegment(const TPoint& control1, const TPoint& control2, const TPoint& end)
{
    return {TPolyBezierSegment::skCurve, control1, control2, end};
}

void TPolyBezier::AddCurveSegment(const TPoint& control1, const TPoint& control2, const TPoint& end)
{
    selectedPoint_ = spCurveEnd;
    selectedSegment_ = AddSegment(MakeCurveSegment(control1, control2, end));
    Changed();
}

TPolyBezierSegment TPolyBezier::GetSegment(int32_t index) const
{
    if (!ValidSegment(index)) RaiseIndexError(index, "TPolyBezier.GetSegment");
    return segments_[static_cast<size_t>(index)];
}

TPoint TPolyBezier::SegmentStart(int32_t index) const
{
    return index > 0 ? GetSegment(index - 1).EndPoint() : startPoint_;
}

TBezier TPolyBezier::GetBezier(int32_t index) const
{
    const TPolyBezierSegment s = GetSegment(index);
    const TPoint start = SegmentStart(index);
    if (s.Kind == TPolyBezierSegment::skCurve) return {start, s.P1, s.P2, s.P3};
    const TPoint m = MidPoint(start, s.P1);
    return {start, m, m, s.P1};
}

// --- Selection and editing -------------------------------------------------------

TBezier TPolyBezier::ToView(const TBezier& c) const { return {ToView(c.P0), ToView(c.P1), ToView(c.P2), ToView(c.P3)}; }

TPoint TPolyBezier::ToView(const TPoint& p) const
{
    return {Saturate(int64_t(origin_.X) + p.X), Saturate(int64_t(origin_.Y) + p.Y)};
}

bool TPolyBezier::Near(const TPoint& p, int32_t x, int32_t y) const
{
    const TPoint v = ToView(p);
    return std::llabs(int64_t(x) - v.X) + std::llabs(int64_t(y) - v.Y) < HitTolerance;
}

bool TPolyBezier::HitTest(const TPoint& origin, int32_t x, int32_t y)
{
    origin_ = origin;
    if (Near(startPoint_, x, y)) {
        selectedSegment_ = -1;
        selectedPoint_ = spStart;
        return true;
    }
    for (int32_t i = 0; i < SegmentCount(); ++i) {
        const TPolyBezierSegment& s = segments_[static_cast<size_t>(i)];
        int32_t hit = spNone;
        if (s.Kind != TPolyBezierSegment::skCurve)
            hit = Near(s.P1, x, y) ? spLineEnd : spNone;
        else if (Near(s.P1, x, y))
            hit = spControl1;
        else if (Near(s.P2, x, y))
            hit = spControl2;
        else if (Near(s.P3, x, y))
            hit = spCurveEnd;
        if (hit != spNone) {
            selectedSegment_ = i;
            selectedPoint_ = hit;
            return true;
        }
    }
    return false;
}

TPoint& TPolyBezier::SelectedCurvePoint(TPolyBezierSegment& segment, int32_t number)
{
    return number == spControl1 ? segment.P1 : number == spControl2 ? segment.P2 : segment.P3;
}

bool TPolyBezier::HasSelectedSegment() const
{
    return ValidSegment(selectedSegment_) && selectedPoint_ != spNone;
}

void TPolyBezier::MoveSelectedPoint(int32_t x, int32_t y, bool keepStraight)
{
    if (selectedSegment_ == -1) {
        startPoint_ = {x, y};
        Changed();
        return;
    }
    if (!HasSelectedSegment()) return;
    TPolyBezierSegment& s = segments_[static_cast<size_t>(selectedSegment_)];
    if (s.Kind != TPolyBezierSegment::skCurve) {
        if (selectedPoint_ != spLineEnd) return;
        s.P1 = {x, y};
    } else {
        if (selectedPoint_ < spControl1 || selectedPoint_ > spCurveEnd) return;
        SelectedCurvePoint(s, selectedPoint_) = {x, y};
        if (keepStraight) s.P1 = s.P2 = MidPoint(SegmentStart(selectedSegment_), s.P3);
    }
    Changed();
}

void TPolyBezier::SetSegmentPoint(int32_t x, int32_t y, int32_t pointIndex)
{
    if (!HasSelectedSegment()) return;
    TPolyBezierSegment& s = segments_[static_cast<size_t>(selectedSegment_)];
    if (s.Kind != TPolyBezierSegment::skCurve) {
        s.P1 = {x, y};
    } else {
        if (pointIndex < spControl1 || pointIndex > spCurveEnd) return;
        SelectedCurvePoint(s, pointIndex) = {x, y};
    }
    Changed();
}

// --- Appearance -------------------------------------------------------------------

void TPolyBezier::Changed()
{
    if (onChange_) onChange_(*this);
}

void TPolyBezier::SetMode(uint8_t mode)
{
    mode_ = mode;
    Changed();
}

void TPolyBezier::SetColor(TColor32 color)
{
    if (color == color_) return;
    color_ = color;
    Changed();
}

// --- Drawing ----------------------------------------------------------------------
//
// The points handed below Draw are in view pixels (ToView), except the curve
// coordinates that DrawCurveSegment and DrawBand are given.

void TPolyBezier::Draw(const TPoint& origin, TBitmap32& target)
{
    target_ = &target;
    origin_ = origin;
    tangentPhase_ = 0;
    for (int32_t i = 0; i < SegmentCount(); ++i) {
        const TPolyBezierSegment& s = segments_[static_cast<size_t>(i)];
        if (s.Kind == TPolyBezierSegment::skCurve)
            DrawCurveSegment({SegmentStart(i), s.P1, s.P2, s.P3});
        else
            DrawLineSegment(ToView(SegmentStart(i)), ToView(s.P1));
    }
    target_ = nullptr;
}

void TPolyBezier::DrawLineSegment(const TPoint& s, const TPoint& e)
{
    DrawHandle(s, highlighted_);
    DrawHandle(e, highlighted_);
    DrawLine(s, e, false);
}

void TPolyBezier::DrawCurveSegment(const TBezier& curve)
{
    const TBezier c = ToView(curve);
    if (width_ == 1.0f) {
        DrawHandle(c.P0, highlighted_);
        DrawHandle(c.P3, highlighted_);
        if (highlighted_) {
            DrawHandle(c.P1, true);
            DrawHandle(c.P2, true);
            DrawLine(c.P0, c.P1, true);
            DrawLine(c.P2, c.P3, true);
        }
    }
    if (width_ <= 1.0f) {
        SubdivideBezier(c, [this](const TBezier& piece) { DrawPiece(piece); });
    } else {
        DrawBand(curve);
        DrawBandCaps(c);
    }
}

void TPolyBezier::DrawHandle(const TPoint& p, bool glyph)
{
    if (glyph) {
        // A curve made before any glyph was registered simply shows none.
        if (handleGlyph_) target_->Draw(p.X - handleGlyph_->Width() / 2, p.Y - handleGlyph_->Height() / 2, *handleGlyph_);
        return;
    }
    target_->LineS(p.X - 2, p.Y - 2, p.X + 2, p.Y - 2, clBlack32);
    target_->LineS(p.X + 2, p.Y - 2, p.X + 2, p.Y + 2, clBlack32);
    target_->LineS(p.X + 2, p.Y + 2, p.X - 2, p.Y + 2, clBlack32);
    target_->LineS(p.X - 2, p.Y + 2, p.X - 2, p.Y - 2, clBlack32);
}

void TPolyBezier::DrawLine(const TPoint& a, const TPoint& b, bool tangent)
{
    if (mode_ == 0) {
        target_->LineS(a.X, a.Y, b.X, b.Y, color_);
    } else if (!tangent) {
        target_->LineFS(a.X, a.Y, b.X, b.Y, color_);
    } else {
        TStipplePen pen(TangentStipple, tangentPhase_);
        pen.Line(*target_, a.X, a.Y, b.X, b.Y);
    }
}

void TPolyBezier::DrawPiece(const TBezier& q)
{
    if (bandPiece_) {
        // Each piece starts its dashes afresh.
        int64_t phase = 0;
        TStipplePen pen(BandStipple, phase);
        pen.Line(*target_, q.P0.X, q.P0.Y, q.P1.X, q.P1.Y);
        pen.Line(*target_, q.P1.X, q.P1.Y, q.P2.X, q.P2.Y);
        pen.Line(*target_, q.P2.X, q.P2.Y, q.P3.X, q.P3.Y);
    } else if (mode_ != 0) {
        target_->LineFS(q.P0.X, q.P0.Y, q.P1.X, q.P1.Y, color_);
        target_->LineFS(q.P1.X, q.P1.Y, q.P2.X, q.P2.Y, color_);
        target_->LineFS(q.P2.X, q.P2.Y, q.P3.X, q.P3.Y, color_);
    } else {
        target_->LineS(q.P0.X, q.P0.Y, q.P1.X, q.P1.Y, color_);
        target_->LineS(q.P1.X, q.P1.Y, q.P2.X, q.P2.Y, color_);
        target_->LineS(q.P2.X, q.P2.Y, q.P3.X, q.P3.Y, color_);
    }
}

void TPolyBezier::DrawBand(const TBezier& curve)
{
    const TOffsetLine head = OffsetControlLine(curve.P0, curve.P1, width_);
    const TOffsetLine tail = OffsetControlLine(curve.P2, curve.P3, width_);
    bandPiece_ = true;
    const auto drawPiece = [this](const TBezier& piece) { DrawPiece(piece); };
    SubdivideBezier(ToView(TBezier{head.A1, head.B1, tail.A1, tail.B1}), drawPiece);
    SubdivideBezier(ToView(TBezier{head.A2, head.B2, tail.A2, tail.B2}), drawPiece);
    bandPiece_ = false;
}

void TPolyBezier::DrawBandCaps(const TBezier& c)
{
    // Half circles that bulge away from the curve at both ends.
    // They are dashed white and black like the edges, so they show on any picture.
    const double w = width_;
    auto cap = [this, w](const TPoint& centre, const TPoint& away) {
        const double a = std::atan2(double(away.Y) - centre.Y, double(away.X) - centre.X);
        const std::vector<TFloatPoint> points = ArcPoints(centre, w, a + M_PI / 2, a + 3 * M_PI / 2);
        int64_t phase = 0;
        TStipplePen pen(BandStipple, phase);
        for (size_t i = 1; i < points.size(); ++i)
            pen.Line(*target_, points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y);
    };
    cap(c.P0, c.P1);
    cap(c.P3, c.P2);
}
