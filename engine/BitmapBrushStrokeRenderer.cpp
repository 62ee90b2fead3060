#include "engine/BitmapBrushStrokeRenderer.h"

#include "engine/GTypes.h"
#include "gfx/Errors.h"
#include "gfx/Stream.h"

#include <algorithm>
#include <limits>

namespace {

// One strip row takes this much of the budget that the two turtles share.
constexpr int64_t RowBudget = 255;

TPoint Mid(const TFixedPoint& a, const TFixedPoint& b)
{
    const TPoint p = FixedToIntPoint(a), q = FixedToIntPoint(b);
    return {static_cast<int32_t>((int64_t(p.X) + q.X) / 2), static_cast<int32_t>((int64_t(p.Y) + q.Y) / 2)};
}

} // namespace

const TPersistentClass& TBitmapBrushStrokeRenderer::BrushClass()
{
    static const TPersistentClass info = PersistentClassOf<TBitmapBrushStrokeRenderer>(FileExtension, KindName);
    return info;
}

void TBitmapBrushStrokeRenderer::LoadFromStream(TStream& stream)
{
    stream.RequireBytes(8, 1, "Invalid brush file");
    const int32_t id = stream.ReadInt32();
    const int32_t span = stream.ReadInt32();
    TBitmap32 image;
    image.LoadFromStream(stream);
    SetID(id);
    brushSpan_ = span;
    brush_ = std::move(image);
}

void TBitmapBrushStrokeRenderer::WriteBrushFile(TStream& stream, int32_t id, int32_t brushSpan, const TBitmap32& brush)
{
    stream.WriteInt32(id);
    stream.WriteInt32(brushSpan);
    brush.SaveToStream(stream);
}

int32_t TBitmapBrushStrokeRenderer::RowsFor(float width) const
{
    if (brushSpan_ <= 0) return 0;
    const int32_t rows = Round(double(width) * brush_.Height() / brushSpan_);
    return std::min(rows, MaxRows);
}

bool TBitmapBrushStrokeRenderer::UsesBrushPass(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right) const
{
    if (left.empty() || right.empty()) return false;
    const float width = Distance(FixedToIntPoint(left.front()), FixedToIntPoint(right.front()));
    return RowsFor(width) >= 3 &&
           (left.size() >= 3 || Distance(FixedToIntPoint(left.front()), FixedToIntPoint(left.back())) >= 4.0f);
}

TRect TBitmapBrushStrokeRenderer::Render(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right,
                                         TBitmap32& dest)
{
    if (left.empty() || right.empty()) return {};
    if (!UsesBrushPass(left, right)) return FillPolygon(left, right, dest);
    const int32_t rows = RowsFor(Distance(FixedToIntPoint(left.front()), FixedToIntPoint(right.front())));
    // Whatever the pass builds lives for this call only, and Dest is left
    // drawing opaque, also when the pass stops early or fails.
    struct TPassScope {
        TCentrePath& path;
        TBitmap32& dest;
        ~TPassScope()
        {
            path.Clear();
            dest.DrawMode = TDrawMode::dmOpaque;
        }
    } scope{path_, dest};
    return RenderPass(BuildCentreCurve(left, right), rows, dest);
}

TRect TBitmapBrushStrokeRenderer::FillPolygon(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right,
                                              TBitmap32& dest)
{
    // The opacity goes into the colour and stays there, as the stroke was painted.
    color_ = SetAlpha(color_, opacity_);
    DrawStrokePolygon(left, right, dest, 1.0, color_);
    return StrokePolygonBounds(left, right, dest);
}

std::array<TPoint, 4> TBitmapBrushStrokeRenderer::BuildCentreCurve(const TArrayOfFixedPoint& left,
                                                                   const TArrayOfFixedPoint& right) const
{
    const size_t hl = left.size() - 1, hr = right.size() - 1;
    return {Mid(left[0], right[0]), Mid(left[hl / 3], right[hr / 3]), Mid(left[2 * hl / 3], right[2 * hr / 3]),
            Mid(left[hl], right[hr])};
}

TRect TBitmapBrushStrokeRenderer::RenderPass(const std::array<TPoint, 4>& centre, int32_t rows, TBitmap32& dest)
{
    path_.SetBezier(centre[0], centre[1], centre[2], centre[3]);
    path_.Walk();
    if (path_.Empty() || path_.Samples().empty()) return {};

    // A strip without columns has nothing to paint.
    if (!PrepareStrip(rows)) return {};

    const std::vector<TRowCopy> copies = SidewaysCopies(centre[0], path_.StepDirs()[0], rows);
    const TExtent extent = MeasureExtent(copies, dest.Width(), dest.Height());
    if (!extent.Paintable()) return {};

    TBitmap32 temp(static_cast<int32_t>(extent.MaxX - extent.MinX), static_cast<int32_t>(extent.MaxY - extent.MinY),
                   SetAlpha(color_, 0));
    const int32_t minX = static_cast<int32_t>(extent.MinX), minY = static_cast<int32_t>(extent.MinY);
    for (const TRowCopy& copy : copies) DrawRow(temp, copy.At.X - minX, copy.At.Y - minY, copy.Row);
    // Rows are written only inside Temp's border, so only that part is blended.
    const TRect inside{1, 1, temp.Width() - 1, temp.Height() - 1};
    temp.DrawMode = TDrawMode::dmBlend;
    dest.Draw(minX + 1, minY + 1, inside, temp);
    return IntersectRect({minX + 1, minY + 1, minX + inside.Right, minY + inside.Bottom}, dest.BoundsRect());
}

bool TBitmapBrushStrokeRenderer::PrepareStrip(int32_t rows)
{
    std::vector<int32_t> columnOf;
    const int32_t columns = CountColumns(columnOf);
    if (columns <= 0 || brush_.Empty()) return false;
    rows_ = rows;
    sourceColumn_.clear();
    for (int32_t col : columnOf) {
        if (col >= columns) break;
        sourceColumn_.push_back(static_cast<int32_t>(int64_t(col) * brush_.Width() / columns));
    }
    samplesBox_ = paintableBox_ = EmptyExtent();
    for (size_t k = 0; k < path_.Samples().size(); ++k) {
        const TLineSample& sample = path_.Samples()[k];
        samplesBox_.Include(sample.X, sample.Y);
        if (k < sourceColumn_.size()) paintableBox_.Include(sample.X, sample.Y);
    }
    for (int c = 0; c < 256; ++c)
        coverage_[static_cast<size_t>(c)] = SetAlpha(color_, static_cast<uint8_t>((c * opacity_) >> 8));
    return true;
}

int32_t TBitmapBrushStrokeRenderer::CountColumns(std::vector<int32_t>& columnOf) const
{
    const std::vector<TLineSample>& s = path_.Samples();
    columnOf.assign(s.size(), 0);
    int64_t acc = 0;
    int32_t col = 0;
    for (size_t k = 1; k < s.size(); ++k) {
        acc += std::llabs(int64_t(s[k - 1].X) - s[k].X) + std::llabs(int64_t(s[k - 1].Y) - s[k].Y);
        if (acc > 1) {
            acc = 0;
            ++col;
        }
        columnOf[k] = col;
    }
    return col;
}

std::vector<TBitmapBrushStrokeRenderer::TRowCopy>
TBitmapBrushStrokeRenderer::SidewaysCopies(const TPoint& start, TByteDirection firstStep, int32_t rows)
{
    TTurtle up(start), down(start);
    up.SetDirection(static_cast<TByteDirection>(firstStep + 64));
    down.SetDirection(static_cast<TByteDirection>(firstStep - 64));
    std::vector<TRowCopy> copies;
    copies.reserve(static_cast<size_t>(std::max(rows, 0)));
    int64_t budget = int64_t(rows) * RowBudget;
    int32_t rowUp = rows / 2, rowDown = rows / 2;
    while (budget > 0) {
        copies.push_back({up.GetPosition(), rowUp--});
        budget -= RowBudget;
        up.Step();
        if (budget < 1) break;
        copies.push_back({down.GetPosition(), rowDown++});
        down.Step();
        budget -= RowBudget;
    }
    return copies;
}

TBitmapBrushStrokeRenderer::TExtent TBitmapBrushStrokeRenderer::EmptyExtent()
{
    return {std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max(),
            std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min()};
}

bool TBitmapBrushStrokeRenderer::TExtent::Paintable() const
{
    // 64 bits: an extent that found no point at all is MaxInt to MinInt.
    const int64_t w = MaxX - MinX, h = MaxY - MinY;
    return w >= 2 && w <= MaxExtent && h >= 2 && h <= MaxExtent;
}

void TBitmapBrushStrokeRenderer::TExtent::Include(int64_t x, int64_t y)
{
    MinX = std::min(MinX, x), MaxX = std::max(MaxX, x);
    MinY = std::min(MinY, y), MaxY = std::max(MaxY, y);
}

bool TBitmapBrushStrokeRenderer::TExtent::InsideAt(int64_t dx, int64_t dy, int64_t lo, int64_t hiX, int64_t hiY) const
{
    return MinX + dx >= lo && MaxX + dx <= hiX && MinY + dy >= lo && MaxY + dy <= hiY;
}

TBitmapBrushStrokeRenderer::TExtent TBitmapBrushStrokeRenderer::MeasureExtent(const std::vector<TRowCopy>& copies,
                                                                              int32_t width, int32_t height) const
{
    TExtent e = EmptyExtent();
    const int64_t right = int64_t(width) - 2, bottom = int64_t(height) - 2;
    for (const TRowCopy& copy : copies) {
        if (samplesBox_.InsideAt(copy.At.X, copy.At.Y, 1, right, bottom)) {
            e.Include(samplesBox_.MinX + copy.At.X, samplesBox_.MinY + copy.At.Y);
            e.Include(samplesBox_.MaxX + copy.At.X, samplesBox_.MaxY + copy.At.Y);
            continue;
        }
        // Each copy ends at its first point on Dest's outermost pixels or beyond.
        for (const TLineSample& s : path_.Samples()) {
            const int64_t x = int64_t(s.X) + copy.At.X, y = int64_t(s.Y) + copy.At.Y;
            if (x < 1 || x > right || y < 1 || y > bottom) break;
            e.Include(x, y);
        }
    }
    return e;
}

void TBitmapBrushStrokeRenderer::DrawRow(TBitmap32& temp, int32_t dx, int32_t dy, int32_t row) const
{
    if (row < 0 || row >= rows_) return;
    const TColor32* brushRow = brush_.ScanLine(static_cast<int32_t>(int64_t(row) * brush_.Height() / rows_));
    const std::vector<TLineSample>& s = path_.Samples();
    const int32_t right = temp.Width() - 2, bottom = temp.Height() - 2;
    const size_t n = sourceColumn_.size();
    // Pixels are written, not blended: a later row that reaches one replaces it.
    if (paintableBox_.InsideAt(dx, dy, 1, right, bottom)) {
        for (size_t k = 0; k < n; ++k)
            temp.Pixel(s[k].X + dx, s[k].Y + dy) = coverage_[BlueComponent(brushRow[sourceColumn_[k]])];
        return;
    }
    for (size_t k = 0; k < n; ++k) {
        const int32_t x = s[k].X + dx, y = s[k].Y + dy;
        if (x < 1 || x > right || y < 1 || y > bottom) continue;
        temp.Pixel(x, y) = coverage_[BlueComponent(brushRow[sourceColumn_[k]])];
    }
}
