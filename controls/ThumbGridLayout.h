// The arithmetic of a thumbnail grid, kept apart from any widget: how many
// columns and rows a count of thumbnails takes in a given width, where each
// cell lies and which thumbnail lies under a point. Both thumbnail grids use it.
#pragma once

#include <cstdint>
#include <optional>

// The sizes a grid is drawn with: a gap of Margin pixels around and between
// cells of ThumbWidth by ThumbHeight pixels.
struct TThumbGridGeometry {
    int32_t Margin = 2;
    int32_t ThumbWidth = -1;
    int32_t ThumbHeight = -1;

    // Cells need a positive size and the gap cannot be negative; anything
    // else has no layout (and would divide by zero or overlap cells).
    bool IsValid() const { return ThumbWidth >= 1 && ThumbHeight >= 1 && Margin >= 0; }
};

// One laid-out grid: Count thumbnails in Columns by Rows cells on a canvas of
// Width by Height pixels.
struct TThumbGridLayout {
    TThumbGridGeometry Geometry;
    int32_t Count = 0;
    int32_t Columns = 0;
    int32_t Rows = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    bool IsEmpty() const { return Count < 1; }
};

struct TThumbCell {
    int32_t X = 0, Y = 0;  // top-left corner of the thumbnail on the canvas
    friend bool operator==(const TThumbCell&, const TThumbCell&) = default;
};

// The largest canvas a grid may ask for; a bigger one is refused like an
// invalid geometry rather than allocated.
constexpr int64_t MaxThumbCanvasSide = 16777215;
constexpr int64_t MaxThumbCanvasPixels = int64_t{1} << 26;

// Fills the client width row by row with at least one column. Gives no
// layout for an empty count, an invalid geometry or an oversized canvas.
std::optional<TThumbGridLayout> LayoutThumbGrid(const TThumbGridGeometry& geometry, int32_t clientWidth,
                                                int32_t count);

// The top-left corner of thumbnail `index` (0 <= index < Count).
TThumbCell ThumbCellAt(const TThumbGridLayout& layout, int32_t index);

// The first thumbnail, in reading order, whose cell holds (x, y) with all
// four edges included: x <= X <= x + ThumbWidth and y <= Y <= y + ThumbHeight.
// Where two cells touch (margin 0) the earlier one wins. None on the margins
// between cells and past the last thumbnail.
std::optional<int32_t> ThumbIndexAt(const TThumbGridLayout& layout, int32_t x, int32_t y);
