#include "controls/ThumbGridLayout.h"

#include <algorithm>

namespace {

// The earliest of `cells` spans [margin + c·step, margin + c·step + size]
// (step = size + margin) that holds pos. With no margin a span's far edge is
// the next span's near edge, and the earlier span takes the shared line.
std::optional<int32_t> CellAlong(int64_t pos, int64_t margin, int64_t size, int64_t cells)
{
    const int64_t offset = pos - margin;
    if (offset < 0) return std::nullopt;
    const int64_t step = size + margin;
    const int64_t cell = offset / step;
    const int64_t within = offset % step;
    int64_t hit = -1;
    if (margin == 0 && within == 0 && cell > 0)
        hit = cell - 1;
    else if (within <= size)
        hit = cell;
    if (hit < 0 || hit >= cells) return std::nullopt;
    return static_cast<int32_t>(hit);
}

}  // namespace

std::optional<TThumbGridLayout> LayoutThumbGrid(const TThumbGridGeometry& geometry, int32_t clientWidth,
                                                int32_t count)
{
    if (count < 1 || !geometry.IsValid()) return std::nullopt;
    const int64_t m = geometry.Margin;
    const int64_t stepX = geometry.ThumbWidth + m;
    const int64_t stepY = geometry.ThumbHeight + m;
    const int64_t columns = std::clamp<int64_t>((clientWidth - m) / stepX, 1, count);
    const int64_t rows = (count + columns - 1) / columns;
    const int64_t width = stepX * columns + m;
    const int64_t height = stepY * rows + m;
    if (width > MaxThumbCanvasSide || height > MaxThumbCanvasSide || width * height > MaxThumbCanvasPixels)
        return std::nullopt;
    return TThumbGridLayout{geometry,
                            count,
                            static_cast<int32_t>(columns),
                            static_cast<int32_t>(rows),
                            static_cast<int32_t>(width),
                            static_cast<int32_t>(height)};
}

TThumbCell ThumbCellAt(const TThumbGridLayout& layout, int32_t index)
{
    const TThumbGridGeometry& g = layout.Geometry;
    const int32_t column = index % layout.Columns;
    const int32_t row = index / layout.Columns;
    return {g.Margin + column * (g.ThumbWidth + g.Margin), g.Margin + row * (g.ThumbHeight + g.Margin)};
}

std::optional<int32_t> ThumbIndexAt(const TThumbGridLayout& layout, int32_t x, int32_t y)
{
    if (layout.IsEmpty()) return std::nullopt;
    const TThumbGridGeometry& g = layout.Geometry;
    const auto column = CellAlong(x, g.Margin, g.ThumbWidth, layout.Columns);
    const auto row = CellAlong(y, g.Margin, g.ThumbHeight, layout.Rows);
    if (!column || !row) return std::nullopt;
    const int64_t index = int64_t{*row} * layout.Columns + *column;
    if (index >= layout.Count) return std::nullopt;
    return static_cast<int32_t>(index);
}
