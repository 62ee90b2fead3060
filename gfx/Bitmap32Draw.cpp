// Drawing onto a TBitmap32: copies and blends between bitmaps, stretching,
// single-pixel lines and the anti-aliased shapes that QPainter draws for us.
// Where the drawing must be reproducible (copy, blend, nearest stretch, pixel
// lines) the arithmetic is our own and integer-only; anti-aliased coverage is
// left to QPainter.
#include "gfx/Bitmap32.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

void TransferRow(TColor32* dst, const TColor32* src, int64_t count, const TBitmap32& from)
{
    if (from.DrawMode == TDrawMode::dmOpaque) {
        std::memmove(dst, src, static_cast<size_t>(count) * sizeof(TColor32));
        return;
    }
    if (from.MasterAlpha != 255) {
        for (int64_t i = 0; i < count; ++i) dst[i] = BlendColor(src[i], dst[i], from.MasterAlpha);
        return;
    }
    // Without a master alpha most pixels of a stroke's bitmap are either
    // untouched (alpha 0) or fully covered: skip and copy those directly.
    for (int64_t i = 0; i < count; ++i) {
        const TColor32 s = src[i];
        const uint32_t a = s >> 24;
        if (a == 0) continue;
        dst[i] = a == 255 ? (s & 0x00FFFFFFu) | (dst[i] & 0xFF000000u) : BlendColor(s, dst[i]);
    }
}

// Source index for each destination index of [lo, hi) along one axis, or -1
// where the index falls outside the source bitmap (those pixels stay as they are).
std::vector<int32_t> NearestIndices(int64_t lo, int64_t hi, int64_t dstStart, int64_t dstSize, int64_t srcStart,
                                    int64_t srcSize, int64_t srcLimit)
{
    std::vector<int32_t> out;
    out.reserve(static_cast<size_t>(std::max<int64_t>(hi - lo, 0)));
    for (int64_t d = lo; d < hi; ++d) {
        // (d - dstStart) >= 0 here and both sizes fit in 33 bits, so the
        // product cannot overflow and the division is a floor.
        const int64_t s = srcStart + (d - dstStart) * srcSize / dstSize;
        out.push_back(s >= 0 && s < srcLimit ? static_cast<int32_t>(s) : -1);
    }
    return out;
}

// One axis of the linear filter: the left sample, the weight (0..256) of the
// right one, and whether the pixel's centre maps inside the source at all.
struct TLinearTap {
    int32_t I0 = 0, I1 = 0;
    int32_t W = 0;
    bool Valid = false;
};

std::vector<TLinearTap> LinearTaps(int64_t lo, int64_t hi, int64_t dstStart, int64_t dstSize, int64_t srcStart,
                                   int64_t srcSize, int64_t srcLimit)
{
    std::vector<TLinearTap> out;
    out.reserve(static_cast<size_t>(std::max<int64_t>(hi - lo, 0)));
    // Samples stay inside both the source rectangle and the source bitmap.
    const int64_t first = std::max<int64_t>(srcStart, 0);
    const int64_t last = std::min<int64_t>(srcStart + srcSize, srcLimit) - 1;
    const double scale = static_cast<double>(srcSize) / static_cast<double>(dstSize);
    for (int64_t d = lo; d < hi; ++d) {
        const double u = (static_cast<double>(d - dstStart) + 0.5) * scale - 0.5;
        const double base = std::floor(u);
        TLinearTap tap;
        const int64_t centre = srcStart + static_cast<int64_t>(std::floor(u + 0.5));
        tap.Valid = first <= last && centre >= 0 && centre < srcLimit;
        if (tap.Valid) {
            const int64_t i0 = srcStart + static_cast<int64_t>(base);
            tap.W = static_cast<int32_t>(std::clamp(Round((u - base) * 256.0), 0, 256));
            tap.I0 = static_cast<int32_t>(std::clamp(i0, first, last));
            tap.I1 = static_cast<int32_t>(std::clamp(i0 + 1, first, last));
        }
        out.push_back(tap);
    }
    return out;
}

// Interpolates each of the four channels (alpha too: pixels are not premultiplied).
TColor32 Bilinear(TColor32 c00, TColor32 c10, TColor32 c01, TColor32 c11, uint32_t wx, uint32_t wy)
{
    TColor32 out = 0;
    for (int shift = 0; shift < 32; shift += 8) {
        const uint32_t top = ((c00 >> shift) & 0xFF) * (256 - wx) + ((c10 >> shift) & 0xFF) * wx;
        const uint32_t bottom = ((c01 >> shift) & 0xFF) * (256 - wx) + ((c11 >> shift) & 0xFF) * wx;
        out |= ((top * (256 - wy) + bottom * wy + 32768) >> 16) << shift;
    }
    return out;
}

// Clips the segment to [lo, hi] on both axes; false when nothing is left.
bool ClipSegment(double& x1, double& y1, double& x2, double& y2, double loX, double loY, double hiX, double hiY)
{
    double t0, t1;
    const double dx = x2 - x1, dy = y2 - y1;
    if (!ClipSegmentRange(x1, y1, dx, dy, loX, loY, hiX, hiY, t0, t1)) return false;
    const double ox = x1, oy = y1;
    x1 = ox + t0 * dx;
    y1 = oy + t0 * dy;
    x2 = ox + t1 * dx;
    y2 = oy + t1 * dy;
    return true;
}

// Lays `color` over `dst` with coverage `a` (0..255) by the source-over rule on
// straight (not premultiplied) colours: the result's alpha is a + da (1 - a)
// and its colour the alpha-weighted mean, each rounded once.
TColor32 SourceOver(TColor32 color, TColor32 dst, unsigned a)
{
    if (a == 255) return color | 0xFF000000u;
    const unsigned da = AlphaComponent(dst);
    const unsigned fw = a * 255, bw = da * (255 - a), total = fw + bw; // weights scaled by 255
    if (total == 0) return dst;
    TColor32 out = static_cast<TColor32>((total + 127) / 255) << 24;
    for (int shift = 0; shift < 24; shift += 8) {
        const unsigned v = (((color >> shift) & 0xFF) * fw + ((dst >> shift) & 0xFF) * bw + total / 2) / total;
        out |= v << shift;
    }
    return out;
}

// Anti-aliased shapes: QPainter paints the shape's coverage in white on a
// premultiplied scratch image over the shape's clipped bounds, and we lay the
// colour onto the bitmap by that coverage. Painting into the bitmap itself
// would make Qt convert every touched pixel to premultiplied and back (lossy
// for translucent pixels, whose alpha is data here), and on Format_ARGB32 Qt
// hands the span blending to its thread pool: three times as long per stroke.
// The scratch image that shapes are rasterized into, kept between calls with
// its painter open: a new image and painter for every stroke cost more than
// the fill itself. Grows to the largest shape seen.
class TCoverageMask {
public:
    ~TCoverageMask()
    {
        if (painter_.isActive()) painter_.end();
    }

    // A cleared area of Size at the top left, the painter set up to draw
    // shapes whose coordinates start at Origin.
    QPainter& Begin(const QSize& size, const QPoint& origin)
    {
        if (size.width() > image_.width() || size.height() > image_.height()) {
            if (painter_.isActive()) painter_.end();
            image_ = QImage(std::max(size.width(), image_.width()), std::max(size.height(), image_.height()),
                            QImage::Format_ARGB32_Premultiplied);
        }
        if (!painter_.isActive()) painter_.begin(&image_);
        for (int y = 0; y < size.height(); ++y)
            std::memset(image_.scanLine(y), 0, static_cast<size_t>(size.width()) * 4);
        painter_.resetTransform();
        painter_.setRenderHint(QPainter::Antialiasing);
        painter_.translate(-origin.x(), -origin.y());
        return painter_;
    }

    const QRgb* Row(int y) const { return reinterpret_cast<const QRgb*>(image_.constScanLine(y)); }

private:
    QImage image_;
    QPainter painter_;
};

// Lays Color over the bitmap wherever Paint covers it (paint draws in white
// into a coverage mask); pixels outside the shape are not touched.
void FillCoverage(TBitmap32& bmp, const QRectF& shapeBounds, TColor32 color,
                  const std::function<void(QPainter&)>& paint)
{
    const QRect area =
        shapeBounds.toAlignedRect().adjusted(-1, -1, 1, 1).intersected(QRect(0, 0, bmp.Width(), bmp.Height()));
    if (area.isEmpty()) return;
    static TCoverageMask mask;
    paint(mask.Begin(area.size(), area.topLeft()));
    const unsigned colorAlpha = AlphaComponent(color);
    for (int y = 0; y < area.height(); ++y) {
        const QRgb* coverage = mask.Row(y);
        TColor32* out = bmp.ScanLine(area.top() + y) + area.left();
        for (int x = 0; x < area.width(); ++x) {
            const unsigned a = MulDiv255(colorAlpha, qAlpha(coverage[x]));
            if (a != 0) out[x] = SourceOver(color, out[x], a);
        }
    }
}

} // namespace

void TBitmap32::Draw(int32_t x, int32_t y, const TBitmap32& src) { Draw(x, y, src.BoundsRect(), src); }

void TBitmap32::Draw(int32_t x, int32_t y, const TRect& srcRect, const TBitmap32& src)
{
    if (&src == this) {
        // Drawing a bitmap onto itself: read from a snapshot so that overlapping
        // blends do not feed on their own output.
        const TBitmap32 copy(src);
        Draw(x, y, srcRect, copy);
        return;
    }
    // 64 bits throughout: x + width may not fit in 32.
    int64_t sl = srcRect.Left, st = srcRect.Top, sr = srcRect.Right, sb = srcRect.Bottom;
    int64_t dx = x, dy = y;
    if (sl < 0) { dx -= sl; sl = 0; }
    if (st < 0) { dy -= st; st = 0; }
    sr = std::min<int64_t>(sr, src.Width());
    sb = std::min<int64_t>(sb, src.Height());
    if (dx < 0) { sl -= dx; dx = 0; }
    if (dy < 0) { st -= dy; dy = 0; }
    const int64_t w = std::min<int64_t>(sr - sl, width_ - dx);
    const int64_t h = std::min<int64_t>(sb - st, height_ - dy);
    if (w <= 0 || h <= 0) return;
    for (int64_t row = 0; row < h; ++row)
        TransferRow(ScanLine(static_cast<int32_t>(dy + row)) + dx, src.ScanLine(static_cast<int32_t>(st + row)) + sl, w,
                    src);
}

void TBitmap32::Draw(const TRect& dstRect, const TRect& srcRect, const TBitmap32& src)
{
    const int64_t dstW = int64_t(dstRect.Right) - dstRect.Left, dstH = int64_t(dstRect.Bottom) - dstRect.Top;
    const int64_t srcW = int64_t(srcRect.Right) - srcRect.Left, srcH = int64_t(srcRect.Bottom) - srcRect.Top;
    if (dstW <= 0 || dstH <= 0 || srcW <= 0 || srcH <= 0 || Empty() || src.Empty()) return;
    if (dstW == srcW && dstH == srcH) {
        Draw(dstRect.Left, dstRect.Top, srcRect, src);
        return;
    }
    if (&src == this) {
        const TBitmap32 copy(src);
        Draw(dstRect, srcRect, copy);
        return;
    }
    const int64_t left = std::max<int64_t>(dstRect.Left, 0), right = std::min<int64_t>(dstRect.Right, width_);
    const int64_t top = std::max<int64_t>(dstRect.Top, 0), bottom = std::min<int64_t>(dstRect.Bottom, height_);
    if (left >= right || top >= bottom) return;

    if (src.StretchFilter == TStretchFilter::sfMitchell || src.StretchFilter == TStretchFilter::sfSpline) {
        DrawCubic(dstRect, srcRect, src,
                  Rect(static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                       static_cast<int32_t>(bottom)));
        return;
    }
    if (src.StretchFilter == TStretchFilter::sfLinear) {
        const auto cols = LinearTaps(left, right, dstRect.Left, dstW, srcRect.Left, srcW, src.Width());
        const auto rows = LinearTaps(top, bottom, dstRect.Top, dstH, srcRect.Top, srcH, src.Height());
        for (int64_t y = top; y < bottom; ++y) {
            const TLinearTap& ty = rows[static_cast<size_t>(y - top)];
            if (!ty.Valid) continue;
            const TColor32* r0 = src.ScanLine(ty.I0);
            const TColor32* r1 = src.ScanLine(ty.I1);
            TColor32* out = ScanLine(static_cast<int32_t>(y));
            for (int64_t x = left; x < right; ++x) {
                const TLinearTap& tx = cols[static_cast<size_t>(x - left)];
                if (!tx.Valid) continue;
                Transfer(out[x], Bilinear(r0[tx.I0], r0[tx.I1], r1[tx.I0], r1[tx.I1], tx.W, ty.W), src);
            }
        }
        return;
    }

    const auto cols = NearestIndices(left, right, dstRect.Left, dstW, srcRect.Left, srcW, src.Width());
    const auto rows = NearestIndices(top, bottom, dstRect.Top, dstH, srcRect.Top, srcH, src.Height());
    for (int64_t y = top; y < bottom; ++y) {
        const int32_t sy = rows[static_cast<size_t>(y - top)];
        if (sy < 0) continue;
        const TColor32* in = src.ScanLine(sy);
        TColor32* out = ScanLine(static_cast<int32_t>(y));
        for (int64_t x = left; x < right; ++x) {
            const int32_t sx = cols[static_cast<size_t>(x - left)];
            if (sx >= 0) Transfer(out[x], in[sx], src);
        }
    }
}

void TBitmap32::LineS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color)
{
    // Step i of the major axis puts the minor coordinate at i * minor / major
    // rounded, a half toward the start (the classic Bresenham choice). The
    // closed form lets us visit only the steps that can land in the bitmap.
    const int64_t dx = int64_t(x2) - x1, dy = int64_t(y2) - y1;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const int64_t major = xMajor ? std::abs(dx) : std::abs(dy);
    const int64_t minor = xMajor ? std::abs(dy) : std::abs(dx);
    if (major == 0 || Empty()) return;
    const int64_t sMajor = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const int64_t sMinor = (xMajor ? dy : dx) >= 0 ? 1 : -1;
    const int64_t start = xMajor ? x1 : y1, startMinor = xMajor ? y1 : x1;
    const int64_t limit = xMajor ? width_ : height_, limitMinor = xMajor ? height_ : width_;

    // Steps whose major coordinate start + sMajor * i lies in [0, limit).
    int64_t iLo = sMajor > 0 ? -start : start - (limit - 1);
    int64_t iHi = sMajor > 0 ? limit - start : start + 1;
    iLo = std::max<int64_t>(iLo, 0);
    iHi = std::min<int64_t>(iHi, major); // the last pixel is left out
    for (int64_t i = iLo; i < iHi; ++i) {
        // Both factors may need 33 bits, so the product is taken in 128.
        const auto offset = (2 * static_cast<__int128>(i) * minor + major - 1) / (2 * major);
        const int64_t m = startMinor + sMinor * static_cast<int64_t>(offset);
        if (m < 0 || m >= limitMinor) continue;
        const int64_t p = start + sMajor * i;
        if (xMajor)
            Pixel(static_cast<int32_t>(p), static_cast<int32_t>(m)) = color;
        else
            Pixel(static_cast<int32_t>(m), static_cast<int32_t>(p)) = color;
    }
}

void TBitmap32::LineFS(double x1, double y1, double x2, double y2, TColor32 color)
{
    if (Empty() || AlphaComponent(color) == 0) return;
    // Integer coordinates name pixel centres, as for LineS; QPainter's name
    // pixel corners. Clipping first keeps far-away points out of QPainter.
    x1 += 0.5;
    y1 += 0.5;
    x2 += 0.5;
    y2 += 0.5;
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) return;
    if ((x1 == x2 && y1 == y2) || !ClipSegment(x1, y1, x2, y2, -2.0, -2.0, width_ + 2.0, height_ + 2.0)) return;
    const QRectF bounds = QRectF(QPointF(x1, y1), QPointF(x2, y2)).normalized().adjusted(-1, -1, 1, 1);
    FillCoverage(*this, bounds, color, [&](QPainter& painter) {
        QPen pen(Qt::white);
        pen.setWidthF(1.0);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.drawLine(QPointF(x1, y1), QPointF(x2, y2));
    });
}

void TBitmap32::FrameRectS(const TRect& r, TColor32 color)
{
    if (r.IsEmpty()) return;
    FillRect(r.Left, r.Top, r.Right, r.Top + 1, color);
    FillRect(r.Left, r.Bottom - 1, r.Right, r.Bottom, color);
    FillRect(r.Left, r.Top, r.Left + 1, r.Bottom, color);
    FillRect(r.Right - 1, r.Top, r.Right, r.Bottom, color);
}

void PolygonFS(TBitmap32& bmp, const TArrayOfFixedPoint& points, TColor32 color, TPolyFillMode mode)
{
    if (points.size() < 3 || bmp.Empty() || AlphaComponent(color) == 0) return;
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const TFixedPoint& p : points) polygon.append(QPointF(FixedToFloat(p.X), FixedToFloat(p.Y)));
    const Qt::FillRule rule = mode == TPolyFillMode::pfAlternate ? Qt::OddEvenFill : Qt::WindingFill;

    FillCoverage(bmp, polygon.boundingRect(), color, [&](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawPolygon(polygon, rule);
    });
}
