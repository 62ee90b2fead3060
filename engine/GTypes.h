// Small free-standing helpers that the engine and the windows share: colour
// arithmetic, point and rectangle arithmetic with random jitter, the
// direction interpolation and conversion, the stroke-count formula, a few
// bitmap and drawing helpers, and the text of index errors.
#pragma once

#include "engine/Bezier.h"
#include "gfx/Bitmap32.h"
#include "gfx/ColorHSL.h"
#include "gfx/Color32.h"
#include "gfx/Geometry.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

// --- Colour ---------------------------------------------------------------

// Each of red, green, blue := channel * F div 255; alpha 255.
TColor32 ScaleColor32(TColor32 color, uint8_t f);
// Each channel := W * c1 div 255 + (255 - W) * c2 div 255; alpha 255.
TColor32 BlendColor32(TColor32 color1, TColor32 color2, uint8_t w);
// Varies a colour in hue, saturation and lightness: three random offsets
// within the ranges (hue, saturation, lightness drawn in that order), then the
// fixed shifts; each result clamped to 0..1 (the hue too). Alpha becomes 255.
void JitterColorHSL(TColor32& color, uint8_t hueRange, uint8_t satRange, uint8_t lightRange,
                    double dh, double ds, double dl);

// --- Bitmaps --------------------------------------------------------------

// Each channel := max(0, pixel + colour - 255); alpha 255.
void BurnBitmap(TBitmap32& bmp, TColor32 color);
// Colour inverted, alpha kept.
void InvertBitmap(TBitmap32& bmp);
std::unique_ptr<TBitmap32> NewBitmap32(int32_t width, int32_t height, TColor32 color);
// A new bitmap holding the pixels of R (clipped to the source; outside is 0),
// drawn with the source's own draw mode.
std::unique_ptr<TBitmap32> CopyBitmapRect(const TBitmap32& src, const TRect& r);

// --- Geometry -------------------------------------------------------------

TRect BoundingRect(const TRect& a, const TRect& b);
TRect ScaleRect(const TRect& r, double f);
TPoint MidPoint(const TPoint& a, const TPoint& b);
void ScalePoint(TPoint& p, double f);
void ScalePoints(std::span<TPoint> points, double f);
// P + D; a sum beyond 32 bits stops at the end of the range.
void OffsetPoint(TPoint& p, const TPoint& d);
void OffsetPoints(std::span<TPoint> points, const TPoint& d);
// Each point := round((P + D) * F): the sum is never stored, so coordinates
// whose sum leaves 32 bits are still scaled from where they lie.
void OffsetAndScalePoints(std::span<TPoint> points, const TPoint& d, double f);
// X moves by Random(Range) - Range div 2, then Y the same way.
void JitterPoint(TPoint& p, int32_t range);
// One common shift for all points, then each point jittered on its own.
void JitterPoints(std::span<TPoint> points, int32_t shift, int32_t range);
// Moves the first and then the last point by up to about a quarter of the chord.
void JitterEnds(std::span<TPoint> points);
// The four points of a Bezier record as a span, for the point helpers.
inline std::span<TPoint> BezierPoints(TBezier& b) { return std::span<TPoint>(&b.P0, 4); }

// Single-precision Euclidean distance; the squares are summed in 64 bits.
float Distance(const TPoint& a, const TPoint& b);
float ControlPolygonLength(const TBezier& b);
// (3 * A + Round(400 * B / A)) div Divisor; 0 when A or Divisor is 0.
int32_t StrokeCountFormula(int32_t a, int32_t b, int32_t divisor);
// A stroke's length drawn around a style's Length L: L + Random(L div 10) -
// L div 20, summed in 64 bits and saturated, so no length can wrap round.
int32_t JitteredLength(int32_t length);
// The halved angle of the vector (X, Y) as a direction byte, the full turn
// mapping to 255. Computed in single precision.
uint8_t DirectionToByte(double y, double x);
// The same byte for single-precision input, several times faster: a
// polynomial arctangent, with the exact routine wherever the rounding could
// go either way. For the per-pixel directions of the feature map.
uint8_t DirectionToByteFast(float y, float x);

struct TVectorSample {
    int32_t X = 0, Y = 0;
    float VX = 0, VY = 0;
};
// Inverse-distance weighted direction at P, folded so that VY >= 0.
TVectorSample InterpolateIDW(std::span<const TVectorSample> samples, const TPoint& p);

// --- Drawing --------------------------------------------------------------

// Fills Left followed by Right reversed, anti-aliased, even-odd, scaled by Scale.
void DrawStrokePolygon(const TArrayOfFixedPoint& left, const TArrayOfFixedPoint& right, TBitmap32& dest,
                       double scale, TColor32 color);
// The points of an arc: one every 0.1 radians from StartAngle for as long as
// the angle stays within EndAngle + 0.1, so the last ones run slightly past.
std::vector<TFloatPoint> ArcPoints(const TPoint& centre, double radius, double startAngle, double endAngle);
void DrawDashedCircle(TBitmap32& bmp, const TPoint& centre, TColor32 c1, TColor32 c2, double radius);
void DrawArc(TBitmap32& bmp, const TPoint& centre, TColor32 color, double radius, double startAngle,
             double endAngle);

// --- Errors ---------------------------------------------------------------

// "<Where>: Index out of bounds(<Index>)"
std::string IndexErrorMessage(int32_t index, const std::string& where);
[[noreturn]] void RaiseIndexError(int32_t index, const std::string& where);
