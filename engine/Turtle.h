// Byte directions (256 steps to the turn: 0 = +X, 64 = up, 128 = -X,
// 192 = down) and the 4-connected pixel walker that follows one. Strokes are
// steered in byte directions and walked pixel by pixel with a turtle.
#pragma once

#include "gfx/Geometry.h"

#include <cstdint>

using TByteDirection = uint8_t;

// A point of two single-precision coordinates, as the walks record them.
struct TSinglePoint {
    float X = 0, Y = 0;
    friend bool operator==(const TSinglePoint&, const TSinglePoint&) = default;
};

// Walks one pixel per step along X or Y, never diagonally. A direction
// between the axes is followed through an error accumulator, so a straight
// walk of |dx| + |dy| steps covers the segment (dx, dy). After each step the
// turtle also names the pixel beside it toward which the heading leans, with
// weights for the two, from which the walks take a sub-pixel position.
class TTurtle {
public:
    explicit TTurtle(const TPoint& p, TByteDirection dir = 0);

    // A fresh start at P: accumulator cleared, both pixels P, weights 255 / 0.
    void SetPosition(const TPoint& p);
    // Changes the direction and clears the accumulator (sideways walks).
    void SetDirection(TByteDirection dir);
    // Writing Direction directly keeps the accumulator, so the sub-pixel
    // error of a centre-line walk carries over from one step to the next.
    TByteDirection Direction = 0;

    void Step();

    TPoint GetPosition() const { return {X, Y}; }
    TSinglePoint GetSubPixel() const;

    TByteDirection Heading() const { return heading_; }
    // Kept reduced to 0..255: only the accumulator's value modulo 256 counts.
    int32_t Accumulator() const { return accumulator_; }
    int32_t Remainder() const { return remainder_; }
    uint8_t MainWeight() const { return mainWeight_; }
    uint8_t SideWeight() const { return sideWeight_; }
    TPoint MainPixel() const { return mainPixel_; }
    TPoint SidePixel() const { return sidePixel_; }

private:
    TByteDirection heading_ = 0;
    int32_t remainder_ = 0;
    int32_t accumulator_ = 0;
    int32_t X = 0, Y = 0;
    uint8_t mainWeight_ = 255, sideWeight_ = 0;
    TPoint mainPixel_, sidePixel_;
};

// The byte direction that a turtle must follow to get from A to B.
TByteDirection DirectionBetween(const TPoint& a, const TPoint& b);
// The conversion behind DirectionBetween. The angle is corrected by a table
// for the turtle's stepping (its slope is |d| / (64 - |d|), not proportional
// to d), so that a walk of |dx| + |dy| steps ends on B or one pixel beside it.
TByteDirection AngleToByte(float dx, float dy);
// The correction factor for a rounded angle of the slope in hundredths of a
// radian (-156..157); angles beyond the table take its nearest end.
float TurtleCorrection(int32_t centiRadians);
