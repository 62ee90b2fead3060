#include "engine/StrokeRenderer.h"

#include "engine/GTypes.h"

#include <algorithm>
#include <cmath>
#include <limits>

TPoint FixedToIntPoint(const TFixedPoint& p)
{
    return {static_cast<int32_t>((int64_t(p.X) + 32767) >> 16), static_cast<int32_t>((int64_t(p.Y) + 32767) >> 16)};
}

TRect StrokePolygonBounds(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, const TBitmap32& dest)
{
    if (left.empty() && right.empty()) return {};
    TFixed minX = std::numeric_limits<TFixed>::max(), minY = minX;
    TFixed maxX = std::numeric_limits<TFixed>::min(), maxY = maxX;
    for (const TArrayOfFixedPoint* edge : {&left, &right}) {
        for (const TFixedPoint& p : *edge) {
            minX = std::min(minX, p.X), maxX = std::max(maxX, p.X);
            minY = std::min(minY, p.Y), maxY = std::max(maxY, p.Y);
        }
    }
    // Anti-aliasing reaches into the pixel beside each bound.
    const auto lo = [](TFixed v) { return std::floor(FixedToFloat(v)) - 1.0; };
    const auto hi = [](TFixed v) { return std::ceil(FixedToFloat(v)) + 2.0; };
    const TRect r{static_cast<int32_t>(std::max(lo(minX), 0.0)), static_cast<int32_t>(std::max(lo(minY), 0.0)),
                  static_cast<int32_t>(std::min(hi(maxX), double(dest.Width()))),
                  static_cast<int32_t>(std::min(hi(maxY), double(dest.Height())))};
    return r.IsEmpty() ? TRect{} : r;
}

const TPersistentClass& TPolygonStrokeRenderer::Class() const
{
    static const TPersistentClass info = PersistentClassOf<TPolygonStrokeRenderer>(FileExtension, KindName);
    return info;
}

TRect TPolygonStrokeRenderer::Render(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest)
{
    // A stroke needs both of its edges; one alone is no outline.
    if (left.empty() || right.empty()) return {};
    DrawStrokePolygon(left, right, dest, 1.0, color_);
    return StrokePolygonBounds(left, right, dest);
}
