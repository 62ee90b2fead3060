#include "engine/Bezier.h"

#include "engine/GTypes.h"
#include "gfx/Errors.h"
#include "gfx/Rounding.h"

#include <cstdlib>
#include <string>

namespace {

constexpr int SubdivisionDepth = 3;

int32_t MidCoord(int32_t a, int32_t b)
{
    // In 64 bits so that far-apart points cannot overflow; the result lies
    // between A and B and always fits.
    return static_cast<int32_t>(a + (static_cast<int64_t>(b) - a) / 2);
}

void Subdivide(const TBezier& c, int depth, const TBezierPieceEvent& onPiece)
{
    if (depth >= SubdivisionDepth) {
        onPiece(c);
        return;
    }
    const TPoint m01 = BezierMid(c.P0, c.P1), m12 = BezierMid(c.P1, c.P2), m23 = BezierMid(c.P2, c.P3);
    const TPoint m012 = BezierMid(m01, m12), m123 = BezierMid(m12, m23);
    const TPoint m = BezierMid(m012, m123);
    Subdivide({c.P0, m01, m012, m}, depth + 1, onPiece);
    Subdivide({m, m123, m23, c.P3}, depth + 1, onPiece);
}

int32_t Sign(int64_t v) { return v > 0 ? 1 : (v < 0 ? -1 : 0); }

void CheckSplitStep(int32_t step)
{
    if (step < 1) throw EngineError("TBezierHelper.Split: invalid step (" + std::to_string(step) + ")");
}

} // namespace

TPoint BezierMid(const TPoint& a, const TPoint& b) { return {MidCoord(a.X, b.X), MidCoord(a.Y, b.Y)}; }

void SubdivideBezier(const TBezier& curve, const TBezierPieceEvent& onPiece)
{
    // The depth travels with the recursion instead of living in process-wide
    // counters, so a callback may itself subdivide another curve.
    Subdivide(curve, 0, onPiece);
}

void SubdivideBezier(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3,
                     const TBezierPieceEvent& onPiece)
{
    SubdivideBezier(TBezier{p0, p1, p2, p3}, onPiece);
}

void TBezierHelper::AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1)
{
    const int64_t dx = static_cast<int64_t>(x1) - x0, dy = static_cast<int64_t>(y1) - y0;
    const int64_t adx = std::llabs(dx), ady = std::llabs(dy);
    const int64_t steps = adx > ady ? adx : ady;
    int64_t ex = 0, ey = 0;
    int32_t x = x0, y = y0;
    for (int64_t i = 0; i < steps + 2; ++i) {
        AddPoint(x, y);
        ex += adx;
        ey += ady;
        if (ex > steps) {
            ex -= steps;
            x += Sign(dx);
        }
        if (ey > steps) {
            ey -= steps;
            y += Sign(dy);
        }
    }
}

void TBezierHelper::AddPiece(const TBezier& q)
{
    AddLine(q.P0.X, q.P0.Y, q.P1.X, q.P1.Y);
    AddLine(q.P1.X, q.P1.Y, q.P2.X, q.P2.Y);
    AddLine(q.P2.X, q.P2.Y, q.P3.X, q.P3.Y);
}

void TBezierHelper::Rasterize(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3)
{
    FPoints.clear();
    SubdivideBezier(p0, p1, p2, p3, [this](const TBezier& piece) { AddPiece(piece); });
}

std::vector<TBezier> TBezierHelper::SplitChain(const std::vector<TPoint>& chain, int32_t step)
{
    CheckSplitStep(step);
    std::vector<TBezier> pieces;
    if (chain.empty()) return pieces;
    const int32_t n = static_cast<int32_t>(chain.size()) - 1;
    const int32_t q = n / step, r = n % step;
    pieces.reserve(static_cast<size_t>(q) + 1);
    for (int32_t i = 0; i < q; ++i) {
        const int64_t first = static_cast<int64_t>(i) * step;
        pieces.push_back({chain[first], chain[Round((i + 0.25) * step)], chain[Round((i + 0.75) * step)],
                          chain[first + step]});
    }
    if (r > 0) {
        const int32_t first = q * step;
        pieces.push_back({chain[first], chain[first + Round(r * 0.25)], chain[first + Round(r * 0.75)], chain[n]});
    }
    return pieces;
}

void TBezierHelper::Split(const TBezier& b, int32_t step)
{
    CheckSplitStep(step); // before rasterizing: a refused split changes nothing
    Rasterize(b);
    FBeziers = SplitChain(FPoints, step);
}

TBezier TBezierHelper::GetBezier(int32_t index) const
{
    if (index < 0 || index >= Count()) RaiseIndexError(index, "TBezierHelper.GetBezier");
    return FBeziers[static_cast<size_t>(index)];
}
