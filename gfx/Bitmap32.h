// TBitmap32: a 32-bit bitmap of 0xAARRGGBB pixels, not premultiplied, rows
// top-down. The drawing vocabulary of the whole program: pixel access, fill,
// copy and blend with clipping, stretch, lines, anti-aliased polygons and BMP
// streams that keep all 32 bits.
#pragma once

#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <functional>
#include <vector>

class QImage;
class TStream;

// The most pixels a bitmap read from a file may have: a gigabyte of them,
// far beyond any photograph, yet small enough that a damaged header cannot
// ask for an absurd amount of memory.
constexpr int64_t MaxBitmapFilePixels = int64_t(1) << 28;

enum class TDrawMode { dmOpaque, dmBlend };
// How a stretched bitmap is sampled: nearest pixel, bilinear, or the
// Mitchell cubic, which also averages every covered pixel when shrinking
// (for previews and thumbnails of fine strokes).
enum class TStretchFilter { sfNearest, sfLinear, sfMitchell, sfSpline };
enum class TPolyFillMode { pfAlternate, pfWinding };

class TBitmap32 {
public:
    TBitmap32() = default;
    TBitmap32(int32_t width, int32_t height, TColor32 fill = clBlack32);
    TBitmap32(const TBitmap32& other);
    TBitmap32& operator=(const TBitmap32& other);
    TBitmap32(TBitmap32&&) noexcept = default;
    TBitmap32& operator=(TBitmap32&&) noexcept = default;

    // Resizes; the contents are undefined-but-zero after a size change.
    // Negative sizes raise EngineError.
    void SetSize(int32_t width, int32_t height);
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    bool Empty() const { return width_ == 0 || height_ == 0; }
    TRect BoundsRect() const { return {0, 0, width_, height_}; }

    // Copies size, pixels, draw mode, master alpha and stretch filter.
    void Assign(const TBitmap32& other);

    TColor32* Bits() { return pixels_.data(); }
    const TColor32* Bits() const { return pixels_.data(); }
    TColor32* ScanLine(int32_t y) { return pixels_.data() + static_cast<size_t>(y) * width_; }
    const TColor32* ScanLine(int32_t y) const { return pixels_.data() + static_cast<size_t>(y) * width_; }

    // Unchecked access: the caller keeps x, y inside the bitmap.
    TColor32& Pixel(int32_t x, int32_t y) { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    TColor32 Pixel(int32_t x, int32_t y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // Checked access: reads outside give 0, writes outside are dropped.
    TColor32 PixelS(int32_t x, int32_t y) const;
    void SetPixelS(int32_t x, int32_t y, TColor32 c);

    void Clear(TColor32 color = clBlack32);
    // Fills [left, right) x [top, bottom), clipped to the bitmap.
    void FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, TColor32 color);
    void FillRect(const TRect& r, TColor32 color) { FillRect(r.Left, r.Top, r.Right, r.Bottom, color); }

    // How this bitmap is drawn onto others: opaque copy, or blended by each
    // pixel's alpha scaled by MasterAlpha.
    TDrawMode DrawMode = TDrawMode::dmOpaque;
    uint8_t MasterAlpha = 255;
    TStretchFilter StretchFilter = TStretchFilter::sfNearest;

    // Draws src (with src's DrawMode and MasterAlpha) with its top-left
    // corner at (x, y), clipped to both bitmaps.
    void Draw(int32_t x, int32_t y, const TBitmap32& src);
    // Draws the part srcRect of src at (x, y), clipped to both bitmaps.
    void Draw(int32_t x, int32_t y, const TRect& srcRect, const TBitmap32& src);
    // Stretches srcRect of src onto dstRect of this bitmap with src's
    // StretchFilter. Nearest: source index = floor(dst * srcSize / dstSize).
    void Draw(const TRect& dstRect, const TRect& srcRect, const TBitmap32& src);

    void DrawTo(TBitmap32& dst, int32_t x, int32_t y) const { dst.Draw(x, y, *this); }
    void DrawTo(TBitmap32& dst, const TRect& dstRect, const TRect& srcRect) const { dst.Draw(dstRect, srcRect, *this); }

    // Single-pixel line from (x1, y1) to (x2, y2) without its last pixel,
    // clipped to the bitmap, pixels written (not blended).
    void LineS(int32_t x1, int32_t y1, int32_t x2, int32_t y2, TColor32 color);
    // Anti-aliased line in floating-point coordinates, blended by the colour's alpha.
    void LineFS(double x1, double y1, double x2, double y2, TColor32 color);
    // Outline of a rectangle, one pixel wide, clipped.
    void FrameRectS(const TRect& r, TColor32 color);

    // Reads exactly one BMP (24 or 32 bits, bottom-up or top-down) from the
    // stream's position and leaves the stream after it. Truncated or
    // inconsistent headers raise EngineError and leave the bitmap unchanged.
    void LoadFromStream(TStream& stream);
    // Writes a 32-bit BMP that keeps alpha.
    void SaveToStream(TStream& stream) const;

    // A QImage (Format_ARGB32) that shares this bitmap's buffer, for QPainter.
    // Valid until the bitmap is resized.
    QImage WrapAsImage();
    // A read-only Format_RGB32 QImage on this bitmap's buffer, for writers that
    // read only red, green and blue (Qt's JPEG and BMP): the alpha byte, which
    // is data here, is passed over rather than copied away. Valid until the
    // bitmap is resized or written.
    QImage WrapAsOpaqueImage() const;
    // Copies to or from an independent QImage.
    QImage ToImage() const;
    static TBitmap32 FromImage(const QImage& image);

    // Change notification: nested BeginUpdate / EndUpdate hold Changed() back.
    std::function<void()> OnChange;
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();
    void Changed();
    int UpdateCount() const { return updateCount_; }

private:
    // Puts one pixel of `from` onto `dst` by from's draw mode.
    static void Transfer(TColor32& dst, TColor32 src, const TBitmap32& from)
    {
        dst = from.DrawMode == TDrawMode::dmOpaque ? src : BlendColor(src, dst, from.MasterAlpha);
    }
    // The Mitchell or spline stretch (src's StretchFilter) of srcRect onto
    // dstRect, over the destination pixels in `clip` (dstRect already
    // clipped to this bitmap).
    void DrawCubic(const TRect& dstRect, const TRect& srcRect, const TBitmap32& src, const TRect& clip);

    int32_t width_ = 0, height_ = 0;
    std::vector<TColor32> pixels_;
    int updateCount_ = 0;
};

// Fills a polygon (16.16 points) anti-aliased in `color`, blended by the
// colour's alpha, with the given fill rule. Drawn by QPainter.
void PolygonFS(TBitmap32& bmp, const TArrayOfFixedPoint& points, TColor32 color,
               TPolyFillMode mode = TPolyFillMode::pfAlternate);
