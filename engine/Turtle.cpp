#include "engine/Turtle.h"

#include "gfx/Rounding.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// Index i belongs to the slope angle (i - 156) / 100 radians. Measured for
// the turtle's stepping rather than computed: it departs from the smooth
// formula near 0 and at both ends, and the last entry is low on purpose.
constexpr int CorrectionCount = 314;
constexpr int CorrectionZero = 156;
constexpr float Correction[CorrectionCount] = {
    1.463f, 1.497f, 1.498f, 1.492f, 1.482f, 1.472f, 1.461f, 1.452f, 1.440f, 1.430f, // 0
    1.419f, 1.408f, 1.398f, 1.389f, 1.379f, 1.369f, 1.360f, 1.352f, 1.343f, 1.334f, // 10
    1.325f, 1.317f, 1.309f, 1.300f, 1.292f, 1.285f, 1.277f, 1.270f, 1.262f, 1.255f, // 20
    1.249f, 1.241f, 1.235f, 1.228f, 1.221f, 1.215f, 1.208f, 1.202f, 1.196f, 1.190f, // 30
    1.184f, 1.178f, 1.172f, 1.166f, 1.161f, 1.155f, 1.149f, 1.144f, 1.138f, 1.133f, // 40
    1.128f, 1.123f, 1.117f, 1.112f, 1.107f, 1.102f, 1.097f, 1.092f, 1.087f, 1.083f, // 50
    1.078f, 1.073f, 1.068f, 1.063f, 1.059f, 1.054f, 1.050f, 1.045f, 1.041f, 1.036f, // 60
    1.032f, 1.027f, 1.023f, 1.018f, 1.014f, 1.009f, 1.005f, 1.001f, 0.999f, 0.995f, // 70
    0.991f, 0.986f, 0.982f, 0.978f, 0.974f, 0.970f, 0.965f, 0.962f, 0.957f, 0.953f, // 80
    0.949f, 0.945f, 0.941f, 0.937f, 0.933f, 0.928f, 0.925f, 0.920f, 0.916f, 0.912f, // 90
    0.908f, 0.904f, 0.900f, 0.896f, 0.892f, 0.888f, 0.884f, 0.880f, 0.875f, 0.871f, // 100
    0.867f, 0.863f, 0.859f, 0.855f, 0.851f, 0.846f, 0.842f, 0.838f, 0.834f, 0.829f, // 110
    0.825f, 0.821f, 0.817f, 0.813f, 0.808f, 0.804f, 0.799f, 0.795f, 0.791f, 0.786f, // 120
    0.782f, 0.777f, 0.773f, 0.769f, 0.764f, 0.759f, 0.755f, 0.750f, 0.746f, 0.741f, // 130
    0.737f, 0.732f, 0.728f, 0.723f, 0.719f, 0.715f, 0.711f, 0.707f, 0.704f, 0.701f, // 140
    0.699f, 0.699f, 0.701f, 0.709f, 0.730f, 0.809f, 1.000f, 0.853f, 0.741f, 0.712f, // 150
    0.702f, 0.699f, 0.700f, 0.701f, 0.704f, 0.707f, 0.711f, 0.715f, 0.719f, 0.723f, // 160
    0.728f, 0.732f, 0.736f, 0.740f, 0.745f, 0.750f, 0.754f, 0.758f, 0.763f, 0.768f, // 170
    0.772f, 0.777f, 0.781f, 0.786f, 0.790f, 0.795f, 0.799f, 0.803f, 0.808f, 0.812f, // 180
    0.816f, 0.821f, 0.825f, 0.829f, 0.833f, 0.837f, 0.841f, 0.846f, 0.850f, 0.854f, // 190
    0.858f, 0.863f, 0.867f, 0.871f, 0.875f, 0.879f, 0.883f, 0.887f, 0.891f, 0.895f, // 200
    0.899f, 0.903f, 0.908f, 0.912f, 0.916f, 0.920f, 0.924f, 0.928f, 0.932f, 0.936f, // 210
    0.940f, 0.944f, 0.948f, 0.953f, 0.957f, 0.961f, 0.965f, 0.969f, 0.973f, 0.978f, // 220
    0.982f, 0.986f, 0.990f, 0.994f, 0.998f, 1.000f, 1.004f, 1.009f, 1.013f, 1.018f, // 230
    1.022f, 1.026f, 1.031f, 1.035f, 1.040f, 1.045f, 1.049f, 1.054f, 1.058f, 1.063f, // 240
    1.067f, 1.072f, 1.077f, 1.082f, 1.086f, 1.091f, 1.096f, 1.101f, 1.107f, 1.111f, // 250
    1.117f, 1.122f, 1.127f, 1.132f, 1.138f, 1.143f, 1.149f, 1.154f, 1.160f, 1.165f, // 260
    1.171f, 1.177f, 1.183f, 1.189f, 1.195f, 1.201f, 1.208f, 1.214f, 1.220f, 1.227f, // 270
    1.234f, 1.241f, 1.247f, 1.255f, 1.262f, 1.269f, 1.277f, 1.284f, 1.292f, 1.300f, // 280
    1.307f, 1.316f, 1.324f, 1.333f, 1.341f, 1.350f, 1.359f, 1.369f, 1.378f, 1.388f, // 290
    1.398f, 1.407f, 1.417f, 1.428f, 1.439f, 1.450f, 1.460f, 1.472f, 1.482f, 1.491f, // 300
    1.499f, 1.502f, 1.480f, 0.839f,                                                 // 310
};

} // namespace

TTurtle::TTurtle(const TPoint& p, TByteDirection dir) : Direction(dir) { SetPosition(p); }

void TTurtle::SetPosition(const TPoint& p)
{
    X = p.X;
    Y = p.Y;
    accumulator_ = 0;
    mainWeight_ = 255;
    sideWeight_ = 0;
    mainPixel_ = p;
    sidePixel_ = p;
}

void TTurtle::SetDirection(TByteDirection dir)
{
    Direction = dir;
    accumulator_ = 0;
}

void TTurtle::Step()
{
    heading_ = static_cast<TByteDirection>(Direction + accumulator_);
    // The sector of the heading picks the axis; its centre is what the
    // accumulator measures the error against.
    const int sector = static_cast<TByteDirection>(heading_ + 32) >> 6; // 0 right, 1 up, 2 left, 3 down
    accumulator_ = (accumulator_ + Direction - sector * 64) & 255;
    remainder_ = accumulator_ & 63;
    mainWeight_ = static_cast<uint8_t>(4 * accumulator_);
    sideWeight_ = static_cast<uint8_t>(255 - mainWeight_);
    if (sideWeight_ > mainWeight_) std::swap(mainWeight_, sideWeight_);

    switch (sector) {
    case 1: --Y; sidePixel_ = {heading_ >= 64 ? X - 1 : X + 1, Y}; break;
    case 2: --X; sidePixel_ = {X, heading_ < 128 ? Y - 1 : Y + 1}; break;
    case 3: ++Y; sidePixel_ = {heading_ < 192 ? X - 1 : X + 1, Y}; break;
    default: ++X; sidePixel_ = {X, heading_ >= 224 ? Y + 1 : Y - 1}; break;
    }
    mainPixel_ = {X, Y};
}

TSinglePoint TTurtle::GetSubPixel() const
{
    // Common on axis-parallel runs, and exact: 255 * v / 255 = v.
    if (sideWeight_ == 0) return {float(mainPixel_.X), float(mainPixel_.Y)};
    const int64_t sx = int64_t(mainWeight_) * mainPixel_.X + int64_t(sideWeight_) * sidePixel_.X;
    const int64_t sy = int64_t(mainWeight_) * mainPixel_.Y + int64_t(sideWeight_) * sidePixel_.Y;
    return {Single(double(sx) / 255.0), Single(double(sy) / 255.0)};
}

float TurtleCorrection(int32_t centiRadians)
{
    // A slope steeper than about -173 rounds to -157, one below the table:
    // such a vector is nearly vertical, so the steep end's factor serves.
    const int32_t i = std::clamp(centiRadians + CorrectionZero, 0, CorrectionCount - 1);
    return Correction[i];
}

TByteDirection AngleToByte(float dx, float dy)
{
    float x = dx;
    if (dx != 0) {
        const float t = Single(double(dy) / double(dx));
        const float a = Single(std::atan(double(t)));
        const int32_t k = Round(Single(double(a) * 100.0));
        x = Single(double(dx) * double(TurtleCorrection(k)));
    }
    // -dy keeps the sign of zero: (-1, 0) gives atan2(-0, -1) = -pi, so
    // straight left comes out as 128 like the other worked directions.
    const double angle = std::atan2(-double(dy), double(x));
    const double pi = std::numbers::pi;
    return static_cast<TByteDirection>(Round((angle + pi) / (2.0 * pi) * 255.0) + 128);
}

namespace {

// Flattened curves are walked in segments of a few pixels each, one
// conversion per segment; the short vectors' answers are worked out once.
constexpr int32_t ShortVector = 64;

TByteDirection ShortDirection(int32_t dx, int32_t dy)
{
    constexpr int32_t side = 2 * ShortVector + 1;
    static const std::vector<TByteDirection> table = [] {
        std::vector<TByteDirection> t(side * side);
        for (int32_t y = -ShortVector; y <= ShortVector; ++y)
            for (int32_t x = -ShortVector; x <= ShortVector; ++x)
                t[(y + ShortVector) * side + x + ShortVector] = AngleToByte(float(x), float(y));
        return t;
    }();
    return table[(dy + ShortVector) * side + dx + ShortVector];
}

} // namespace

TByteDirection DirectionBetween(const TPoint& a, const TPoint& b)
{
    const int64_t dx = int64_t(b.X) - a.X, dy = int64_t(b.Y) - a.Y;
    if (std::abs(dx) <= ShortVector && std::abs(dy) <= ShortVector)
        return ShortDirection(int32_t(dx), int32_t(dy));
    return AngleToByte(Single(double(dx)), Single(double(dy)));
}
