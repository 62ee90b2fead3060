// Size, pixel access, fills and change notification of TBitmap32. Drawing
// between bitmaps is in Bitmap32Draw.cpp, the BMP stream in BmpStream.cpp.
#include "gfx/Bitmap32.h"

#include "gfx/Errors.h"

#include <algorithm>

TBitmap32::TBitmap32(int32_t width, int32_t height, TColor32 fill)
{
    SetSize(width, height);
    Clear(fill);
}

TBitmap32::TBitmap32(const TBitmap32& other) { Assign(other); }

TBitmap32& TBitmap32::operator=(const TBitmap32& other)
{
    if (this != &other) Assign(other);
    return *this;
}

void TBitmap32::SetSize(int32_t width, int32_t height)
{
    if (width < 0 || height < 0) throw EngineError("Invalid bitmap size");
    if (width == width_ && height == height_) return;
    // Multiply in 64 bits: a crafted size must not wrap round to a small buffer.
    const int64_t count = static_cast<int64_t>(width) * height;
    pixels_.assign(static_cast<size_t>(count), 0);
    width_ = width;
    height_ = height;
}

void TBitmap32::Assign(const TBitmap32& other)
{
    width_ = other.width_;
    height_ = other.height_;
    pixels_ = other.pixels_;
    DrawMode = other.DrawMode;
    MasterAlpha = other.MasterAlpha;
    StretchFilter = other.StretchFilter;
}

TColor32 TBitmap32::PixelS(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return 0;
    return Pixel(x, y);
}

void TBitmap32::SetPixelS(int32_t x, int32_t y, TColor32 c)
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
    Pixel(x, y) = c;
}

void TBitmap32::Clear(TColor32 color) { std::fill(pixels_.begin(), pixels_.end(), color); }

void TBitmap32::FillRect(int32_t left, int32_t top, int32_t right, int32_t bottom, TColor32 color)
{
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, width_);
    bottom = std::min(bottom, height_);
    for (int32_t y = top; y < bottom; ++y) std::fill(ScanLine(y) + left, ScanLine(y) + std::max(left, right), color);
}

void TBitmap32::EndUpdate()
{
    if (updateCount_ > 0) --updateCount_;
}

void TBitmap32::Changed()
{
    if (updateCount_ == 0 && OnChange) OnChange();
}
