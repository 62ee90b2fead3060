#include "app/windows/MainWindowThumbs.h"

#include "app/windows/MainWindowRules.h"
#include "engine/GTypes.h"
#include "engine/Patterns.h"
#include "gfx/Random.h"
#include "gfx/Rounding.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr TColor32 DotCentre = Color32(60, 60, 60);
constexpr TColor32 DotRim = Color32(100, 100, 100);

void DrawDot(TBitmap32& bmp, int32_t x, int32_t y)
{
    bmp.SetPixelS(x, y, DotCentre);
    bmp.SetPixelS(x - 1, y, DotRim);
    bmp.SetPixelS(x + 1, y, DotRim);
    bmp.SetPixelS(x, y - 1, DotRim);
    bmp.SetPixelS(x, y + 1, DotRim);
}

void DrawLabel(TBitmap32& bmp, const std::string& text)
{
    QImage image = bmp.WrapAsImage();
    QPainter painter(&image);
    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    painter.setPen(Qt::black);
    painter.drawText(QRect(0, 0, bmp.Width(), 14), Qt::AlignLeft | Qt::AlignTop, QString::fromStdString(text));
}

} // namespace

void DrawSizePreview(TBitmap32& bmp, int32_t width, int32_t height, int32_t radius, int32_t density)
{
    bmp.SetSize(width, height);
    bmp.Clear(PanelColor32);
    const TSizePreviewGeometry g = SizePreviewGeometry(width, height, radius);
    const int32_t r = Round(g.Radius);
    DrawDashedCircle(bmp, {bmp.Width() / 2, bmp.Height() / 2}, clBlack32, clBlack32, r);
    for (int32_t i = 0; i <= density; ++i) {
        // Two statements, so the angle is drawn before the distance.
        const double a = Random(6283) / 1000.0;
        const double d = Random(r);
        DrawDot(bmp, Round(std::cos(a) * d + width / 2.0), Round(std::sin(a) * d + height / 2.0));
    }
    if (!g.Label.empty()) DrawLabel(bmp, g.Label);
}

void BurnStylePreview(TBitmap32& target, int32_t width, int32_t height, const TBitmap32& preview)
{
    target.SetSize(width, height);
    target.StretchFilter = TStretchFilter::sfMitchell;
    TBitmap32 source(preview);
    source.StretchFilter = TStretchFilter::sfMitchell;
    source.DrawMode = TDrawMode::dmOpaque;
    target.Draw(target.BoundsRect(), source.BoundsRect(), source);
    BurnBitmap(target, PanelColor32);
}

void BrushPreviewFromThumb(TBitmap32& target, const TBitmap32& thumb)
{
    target.Assign(thumb);
    BurnBitmap(target, PanelColor32);
    target.DrawMode = TDrawMode::dmBlend;
}

void BuildStrokeThumb(TBitmap32& thumb, const TBitmap32& source)
{
    TBitmap32 stretched(source);
    stretched.StretchFilter = TStretchFilter::sfMitchell;
    stretched.DrawMode = TDrawMode::dmOpaque;
    thumb.Draw(thumb.BoundsRect(), stretched.BoundsRect(), stretched);
    InvertBitmap(thumb);
}

QImage PatternThumb(TPattern& pattern, int32_t width, int32_t height)
{
    TBitmap32 canvas(width, height, clWhite32);
    TBitmap32* previous = pattern.Preview();
    pattern.SetPreview(&canvas);
    std::unique_ptr<TBitmap32> rendered;
    try {
        rendered = pattern.RenderAll(width, height);
    } catch (...) {
        pattern.SetPreview(previous);
        throw;
    }
    pattern.SetPreview(previous);
    return rendered->ToImage();
}

TBitmap32 PolygonRendererPicture()
{
    // A tapered ink stroke, white on black as brush pictures are drawn, so the
    // thumbnail's inversion shows it dark like the others.
    TBitmap32 bmp(131, 31, clBlack32);
    QImage image = bmp.WrapAsImage();
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::white);
    // A pen line that swells in the middle and thins to points at both ends.
    QPainterPath path;
    path.moveTo(8, 17);
    path.cubicTo(40, 9, 90, 10, 123, 14);
    path.cubicTo(90, 16, 40, 19, 8, 17);
    painter.drawPath(path);
    painter.end();
    // QPainter leaves the bitmap's alpha as it found it: opaque.
    return bmp;
}

TBitmap32 HandleGlyphPicture()
{
    TBitmap32 bmp(8, 8, clTransparent32);
    for (int32_t y = 1; y < 7; ++y)
        for (int32_t x = 1; x < 7; ++x) {
            const bool rim = x == 1 || x == 6 || y == 1 || y == 6;
            bmp.Pixel(x, y) = rim ? Color32(0, 0, 0) : Color32(255, 255, 255);
        }
    bmp.DrawMode = TDrawMode::dmBlend;
    return bmp;
}
