// Bridges between TBitmap32 and QImage. Format_ARGB32 has the same layout as
// our pixels (0xAARRGGBB in native order) and is not premultiplied, so alpha
// survives the round trip untouched.
#include "gfx/Bitmap32.h"

#include <QImage>

#include <cstring>

QImage TBitmap32::WrapAsImage()
{
    if (Empty()) return QImage();
    return QImage(reinterpret_cast<uchar*>(Bits()), width_, height_, width_ * 4, QImage::Format_ARGB32);
}

QImage TBitmap32::WrapAsOpaqueImage() const
{
    if (Empty()) return QImage();
    // The const constructor: Qt copies the pixels before it would change them.
    return QImage(reinterpret_cast<const uchar*>(Bits()), width_, height_, qsizetype(width_) * 4, QImage::Format_RGB32);
}

QImage TBitmap32::ToImage() const
{
    if (Empty()) return QImage();
    QImage out(width_, height_, QImage::Format_ARGB32);
    for (int32_t y = 0; y < height_; ++y) std::memcpy(out.scanLine(y), ScanLine(y), static_cast<size_t>(width_) * 4);
    return out;
}

TBitmap32 TBitmap32::FromImage(const QImage& image)
{
    TBitmap32 out;
    if (image.isNull()) return out;
    const QImage src = image.format() == QImage::Format_ARGB32 ? image : image.convertToFormat(QImage::Format_ARGB32);
    out.SetSize(src.width(), src.height());
    for (int32_t y = 0; y < out.height_; ++y)
        std::memcpy(out.ScanLine(y), src.constScanLine(y), static_cast<size_t>(out.width_) * 4);
    return out;
}
