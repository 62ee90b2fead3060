#include "app/GlobalConfig.h"

#include "gfx/Bitmap32.h"
#include "gfx/Errors.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <algorithm>
#include <cmath>

TdmGlobalConfig* dmGlobalConfig = nullptr;

namespace {

constexpr int TileSize = 127;
constexpr int SplashWidth = 417;
constexpr int SplashHeight = 352;
constexpr double Pi = 3.14159265358979323846;
// The about box writes its own name, description, author and memory figures
// over the sky and its versions over the footer: the picture carries no text.
constexpr double SplashFooterTop = 290.5;

// A fixed per-pixel grain. Deliberately not the program's random generator:
// drawing the artwork must not move the seed that the strokes depend on.
int Grain(int x, int y)
{
    uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
    h ^= h >> 13;
    h *= 0x5bd1e995u;
    h ^= h >> 15;
    return static_cast<int>(h % 7) - 3;
}

// 1 on the crossing hatch lines of the tile, fading off them. Every term has
// a whole number of periods across the tile, so opposite edges meet.
double Hatch(int x, int y)
{
    const double a = std::sin(2 * Pi * 9 * (x + y) / TileSize);
    const double b = std::sin(2 * Pi * 9 * (x - y + TileSize) / TileSize);
    return std::max(0.0, a - 0.9) * 10 * 0.7 + std::max(0.0, b - 0.94) * 16.7 * 0.35;
}

void PutLe16(std::vector<uint8_t>& out, size_t at, uint16_t v)
{
    out[at] = static_cast<uint8_t>(v);
    out[at + 1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

// Ink hatching inside a closed path: parallel strokes at `angle` degrees.
void HatchPath(QPainter& painter, const QPainterPath& area, double angle, double spacing, const QPen& pen)
{
    painter.save();
    painter.setClipPath(area, Qt::IntersectClip);
    painter.setPen(pen);
    const QRectF box = area.boundingRect();
    const QPointF centre = box.center();
    const double reach = std::hypot(box.width(), box.height());
    painter.translate(centre);
    painter.rotate(angle);
    for (double d = -reach; d <= reach; d += spacing) painter.drawLine(QPointF(-reach, d), QPointF(reach, d));
    painter.restore();
}

QPainterPath Hill(double baseY, double amplitude, double phase, double period)
{
    QPainterPath path;
    path.moveTo(0, SplashHeight);
    for (int x = 0; x <= SplashWidth; x += 3)
        path.lineTo(x, baseY - amplitude * std::sin(2 * Pi * x / period + phase) - amplitude * 0.4 *
                                                                                    std::sin(2 * Pi * x / (period * 0.37)));
    path.lineTo(SplashWidth, SplashHeight);
    path.closeSubpath();
    return path;
}

// A calm strip of paper along the bottom, under the about box's version
// labels, acknowledgements panel and button, ruled off from the drawing.
void DrawFooter(QPainter& painter)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(252, 249, 240));
    painter.drawRect(QRectF(0, SplashFooterTop, SplashWidth, SplashHeight - SplashFooterTop));
    painter.setPen(QPen(QColor(40, 52, 90), 1.2));
    painter.drawLine(QPointF(0, SplashFooterTop), QPointF(SplashWidth, SplashFooterTop));
}

void DrawPen(QPainter& painter)
{
    // A dip pen lying across the lower right, its nib resting on the last hill.
    painter.save();
    painter.translate(318, 262);
    painter.rotate(-38);
    QLinearGradient body(0, -7, 0, 7);
    body.setColorAt(0, QColor(92, 40, 30));
    body.setColorAt(0.5, QColor(160, 78, 52));
    body.setColorAt(1, QColor(70, 28, 22));
    painter.setPen(QPen(QColor(40, 20, 16), 1));
    painter.setBrush(body);
    painter.drawRoundedRect(QRectF(28, -6, 120, 12), 6, 6);
    QLinearGradient ferrule(0, -6, 0, 6);
    ferrule.setColorAt(0, QColor(150, 150, 160));
    ferrule.setColorAt(0.5, QColor(235, 235, 240));
    ferrule.setColorAt(1, QColor(120, 120, 130));
    painter.setBrush(ferrule);
    painter.drawRect(QRectF(16, -5, 14, 10));
    QPainterPath nib;
    nib.moveTo(-14, 0);
    nib.lineTo(17, -5);
    nib.lineTo(17, 5);
    nib.closeSubpath();
    QLinearGradient gold(0, -5, 0, 5);
    gold.setColorAt(0, QColor(170, 130, 40));
    gold.setColorAt(0.5, QColor(240, 205, 110));
    gold.setColorAt(1, QColor(150, 110, 30));
    painter.setBrush(gold);
    painter.drawPath(nib);
    painter.drawLine(QPointF(-12, 0), QPointF(8, 0));
    painter.setBrush(QColor(40, 20, 16));
    painter.drawEllipse(QPointF(8, 0), 1.6, 1.6);
    painter.restore();
}

} // namespace

QImage DrawBackgroundTile()
{
    QImage tile(TileSize, TileSize, QImage::Format_RGB32);
    for (int y = 0; y < TileSize; ++y) {
        auto* line = reinterpret_cast<QRgb*>(tile.scanLine(y));
        for (int x = 0; x < TileSize; ++x) {
            const int shade = Grain(x, y) - static_cast<int>(std::lround(Hatch(x, y) * 9));
            line[x] = qRgb(std::clamp(226 + shade, 0, 255), std::clamp(232 + shade, 0, 255),
                           std::clamp(241 + shade, 0, 255));
        }
    }
    return tile;
}

QImage DrawSplashPicture()
{
    QImage splash(SplashWidth, SplashHeight, QImage::Format_RGB32);
    QPainter painter(&splash);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, SplashHeight);
    sky.setColorAt(0, QColor(178, 214, 255));
    sky.setColorAt(0.55, QColor(236, 244, 255));
    sky.setColorAt(1, QColor(255, 252, 242));
    painter.fillRect(splash.rect(), sky);

    // The sun, its rays as short pen strokes.
    const QPointF sun(334, 142);
    QRadialGradient glow(sun, 46);
    glow.setColorAt(0, QColor(255, 246, 210));
    glow.setColorAt(1, QColor(255, 246, 210, 0));
    painter.setPen(Qt::NoPen);
    painter.setBrush(glow);
    painter.drawEllipse(sun, 46, 46);
    painter.setPen(QPen(QColor(60, 60, 90), 1.2));
    painter.setBrush(QColor(255, 250, 232));
    painter.drawEllipse(sun, 20, 20);
    for (int i = 0; i < 16; ++i) {
        const double a = 2 * Pi * i / 16;
        const double inner = 26, outer = i % 2 ? 34 : 40;
        painter.drawLine(sun + QPointF(inner * std::cos(a), inner * std::sin(a)),
                         sun + QPointF(outer * std::cos(a), outer * std::sin(a)));
    }

    // Three hills, nearer ones darker and more densely hatched.
    struct THillStyle {
        double BaseY, Amplitude, Phase, Period, Angle, Spacing, Width;
        QColor Fill, Ink;
    };
    const THillStyle hills[] = {
        {196, 18, 0.6, 260, 35, 7, 0.8, QColor(222, 232, 246), QColor(90, 110, 150)},
        {236, 20, 2.1, 330, -40, 5, 1.0, QColor(208, 222, 238), QColor(58, 74, 118)},
        {284, 16, 4.0, 300, 28, 3.5, 1.1, QColor(196, 210, 230), QColor(30, 40, 78)},
    };
    for (const THillStyle& h : hills) {
        const QPainterPath hill = Hill(h.BaseY, h.Amplitude, h.Phase, h.Period);
        painter.setPen(Qt::NoPen);
        painter.setBrush(h.Fill);
        painter.drawPath(hill);
        HatchPath(painter, hill, h.Angle, h.Spacing, QPen(h.Ink, h.Width * 0.6));
        painter.setPen(QPen(h.Ink, h.Width * 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(hill);
    }

    DrawFooter(painter);
    DrawPen(painter);

    painter.setPen(QPen(QColor(40, 52, 90), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(1, 1, SplashWidth - 2, SplashHeight - 2));
    return splash;
}

std::vector<uint8_t> EncodeBmp24(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const int w = rgb.width(), h = rgb.height();
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) / 4 * 4;
    const size_t pixelBytes = stride * h + 2;
    std::vector<uint8_t> out(54 + pixelBytes, 0);
    out[0] = 'B';
    out[1] = 'M';
    PutLe32(out, 2, static_cast<uint32_t>(out.size()));
    PutLe32(out, 10, 54);
    PutLe32(out, 14, 40);
    PutLe32(out, 18, static_cast<uint32_t>(w));
    PutLe32(out, 22, static_cast<uint32_t>(h)); // positive: bottom-up
    PutLe16(out, 26, 1);
    PutLe16(out, 28, 24);
    PutLe32(out, 34, static_cast<uint32_t>(pixelBytes));
    PutLe32(out, 38, 2835); // 72 dpi
    PutLe32(out, 42, 2835);
    for (int y = 0; y < h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* row = out.data() + 54 + static_cast<size_t>(h - 1 - y) * stride;
        for (int x = 0; x < w; ++x) {
            row[3 * x] = static_cast<uint8_t>(qBlue(line[x]));
            row[3 * x + 1] = static_cast<uint8_t>(qGreen(line[x]));
            row[3 * x + 2] = static_cast<uint8_t>(qRed(line[x]));
        }
    }
    return out;
}

TdmGlobalConfig::TdmGlobalConfig()
    : Background_(EncodeBmp24(DrawBackgroundTile())), splashImage_(EncodeBmp24(DrawSplashPicture()))
{
    dmGlobalConfig = this;
}

TdmGlobalConfig::~TdmGlobalConfig()
{
    if (dmGlobalConfig == this) dmGlobalConfig = nullptr;
}

void TdmGlobalConfig::LoadBackground(TBitmap32& graphic) { Read(Background_, graphic); }
void TdmGlobalConfig::LoadBackground(QImage& graphic) { Read(Background_, graphic); }
void TdmGlobalConfig::LoadSplash(TBitmap32& graphic) { Read(splashImage_, graphic); }
void TdmGlobalConfig::LoadSplash(QImage& graphic) { Read(splashImage_, graphic); }

void TdmGlobalConfig::Read(TMemoryStream& block, TBitmap32& graphic)
{
    block.SetPosition(0);
    graphic.LoadFromStream(block);
}

void TdmGlobalConfig::Read(TMemoryStream& block, QImage& graphic)
{
    block.SetPosition(0);
    const std::vector<uint8_t>& bytes = block.Bytes();
    QImage image;
    if (!image.loadFromData(bytes.data(), static_cast<int>(bytes.size()), "BMP"))
        throw EngineError("The embedded picture cannot be read");
    graphic = image;
}
