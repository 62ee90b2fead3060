// TBitmapBrushStrokeRenderer: paints a stroke with a brush image read from a
// brush file. The brush is stretched along the stroke's centre line (its
// columns follow the path, its rows lie across it), and each row is laid
// along a copy of the path shifted sideways, the brush's blue channel giving
// the coverage. Strokes too short or too thin for that are filled as polygons.
#pragma once

#include "engine/CentrePath.h"
#include "engine/StrokeRenderer.h"

#include <array>
#include <cstdint>
#include <vector>

class TBitmapBrushStrokeRenderer final : public TAbstractStrokeRenderer {
public:
    // The painted extent of one stroke may be at most this many pixels wide
    // and high; a larger one paints nothing.
    static constexpr int64_t MaxExtent = 10000;
    // Sideways copies are spread half to each side of the path, so copies
    // beyond this many could only land outside the largest paintable extent.
    // The cap keeps a crafted BrushSpan from costing time for nothing.
    static constexpr int32_t MaxRows = 2 * MaxExtent;

    // The class that the renderer manager is created with: it reads brush files.
    static const TPersistentClass& BrushClass();
    const TPersistentClass& Class() const override { return BrushClass(); }

    // Brush file: ID (signed 32-bit), BrushSpan (signed 32-bit), then one BMP
    // image. A short file or a bad image raises and leaves the renderer as it
    // was. A BrushSpan of 0 or less loads; such a brush always fills polygons.
    void LoadFromStream(TStream& stream) override;
    // Brushes are made outside the program and never saved: writes nothing.
    void SaveToStream(TStream&) override {}
    // Writes the layout that LoadFromStream reads (for the brush generator).
    static void WriteBrushFile(TStream& stream, int32_t id, int32_t brushSpan, const TBitmap32& brush);

    TRect Render(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest) override;

    // The brush image; the main window shows it as the brush's picture.
    const TBitmap32& Brush() const { return brush_; }
    int32_t BrushSpan() const { return brushSpan_; }

    // Rows of the strip for a stroke whose start is Width pixels across:
    // Round(Width * Brush.Height / BrushSpan), at most MaxRows; 0 when the
    // BrushSpan is 0 or less.
    int32_t RowsFor(float width) const;
    // True when a stroke with these edges takes the brush pass rather than
    // the polygon fill.
    bool UsesBrushPass(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right) const;

private:
    // One sideways copy of the path: where it starts and which strip row it paints.
    struct TRowCopy {
        TPoint At;
        int32_t Row = 0;
    };
    struct TExtent {
        int64_t MinX, MinY, MaxX, MaxY;
        bool Paintable() const;
        void Include(int64_t x, int64_t y);
        // Whether the box moved by (dx, dy) lies within [lo, hiX] x [lo, hiY].
        bool InsideAt(int64_t dx, int64_t dy, int64_t lo, int64_t hiX, int64_t hiY) const;
    };
    static TExtent EmptyExtent();

    std::array<TPoint, 4> BuildCentreCurve(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right) const;
    TRect RenderPass(const std::array<TPoint, 4>& centre, int32_t rows, TBitmap32& dest);
    TRect FillPolygon(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest);

    // The strip of Rows rows, not built as a bitmap but as the brush column
    // of each paintable sample (a nearest-neighbour stretch), the bounds of
    // the samples and the painted colour of each coverage value. False when
    // the strip has no columns.
    bool PrepareStrip(int32_t rows);
    // The strip column of every path sample; samples in column Columns or
    // beyond are never painted. Returns Columns.
    int32_t CountColumns(std::vector<int32_t>& columnOf) const;
    // The copies in painting order: two turtles leave the path's start to
    // either side of its first step, taking turns, one copy per strip row.
    static std::vector<TRowCopy> SidewaysCopies(const TPoint& start, TByteDirection firstStep, int32_t rows);
    TExtent MeasureExtent(const std::vector<TRowCopy>& copies, int32_t width, int32_t height) const;
    void DrawRow(TBitmap32& temp, int32_t dx, int32_t dy, int32_t row) const;

    int32_t brushSpan_ = 0;
    TBitmap32 brush_;

    // Built by each brush pass and dropped after it.
    TCentrePath path_;
    int32_t rows_ = 0;
    // The brush column each paintable sample reads (the strip's nearest stretch).
    std::vector<int32_t> sourceColumn_;
    // Bounds of all samples and of the paintable ones, relative to the path's
    // start: a copy whose box lies well inside needs no test per pixel.
    TExtent samplesBox_{}, paintableBox_{};
    // Painted pixel for each coverage value: Color with alpha (c * Opacity) shr 8.
    std::array<TColor32, 256> coverage_{};
};
