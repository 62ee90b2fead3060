// Integer cubic Bezier curves: the record every curve of the engine is made
// of, its fixed eight-piece subdivision, and rasterizing and cutting a curve
// into pieces of a given length.
#pragma once

#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>
#include <vector>

// One cubic curve as four integer points; 32 bytes on disk in this order.
struct TBezier {
    TPoint P0, P1, P2, P3;
    friend bool operator==(const TBezier&, const TBezier&) = default;
};

using TBezierPieceEvent = std::function<void(const TBezier& piece)>;

// Splits the curve by integer de Casteljau steps into exactly eight pieces of
// equal parameter length and hands them to OnPiece from P0 to P3. The depth is
// fixed so that every curve flattens at the same cost; callers draw or walk
// each piece's control polygon. The midpoints round toward the first point of
// each pair, so a curve and its reverse need not share their joints.
void SubdivideBezier(const TBezier& curve, const TBezierPieceEvent& onPiece);
void SubdivideBezier(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3,
                     const TBezierPieceEvent& onPiece);

// The midpoint rule of the subdivision: A + (B - A) div 2, per coordinate.
TPoint BezierMid(const TPoint& a, const TPoint& b);

// Rasterizes a curve into a chain of pixels and cuts the chain into short
// curves of a given length; the free-hand tool lays its strokes along them.
class TBezierHelper {
public:
    // The pixel chain of the flattened curve: the 24 control-polygon edges of
    // its eight pieces, each drawn by AddLine.
    void Rasterize(const TPoint& p0, const TPoint& p1, const TPoint& p2, const TPoint& p3);
    void Rasterize(const TBezier& b) { Rasterize(b.P0, b.P1, b.P2, b.P3); }
    // Rasterizes B and cuts its chain into pieces Step pixels long. A step
    // below 1 raises EngineError.
    void Split(const TBezier& b, int32_t step);

    int32_t Count() const { return static_cast<int32_t>(FBeziers.size()); }
    // Raises the engine's index error outside 0..Count - 1.
    TBezier GetBezier(int32_t index) const;
    const std::vector<TPoint>& Points() const { return FPoints; }

    // Appends the pixel line from (X0, Y0) to (X1, Y1): its first pixel
    // twice, then one pixel per step, ending exactly on (X1, Y1).
    void AddLine(int32_t x0, int32_t y0, int32_t x1, int32_t y1);

    // The cutting rule of Split on a given chain: pieces from chain pixel
    // i * Step to (i + 1) * Step with control points at a quarter and three
    // quarters of the span, then one shorter piece for the rest.
    static std::vector<TBezier> SplitChain(const std::vector<TPoint>& chain, int32_t step);

private:
    void AddPiece(const TBezier& piece);
    void AddPoint(int32_t x, int32_t y) { FPoints.push_back({x, y}); }

    std::vector<TPoint> FPoints;
    std::vector<TBezier> FBeziers;
};
