// Rounding and conversions that the drawing's exactness rests on.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>

// Rounds to the nearest integer, a half to the even neighbour (2.5 -> 2,
// 3.5 -> 4): the floating-point unit's default mode. Out-of-range and
// non-finite values saturate instead of being undefined.
inline int32_t Round(double x)
{
    const double r = std::nearbyint(x);
    if (!(r >= -2147483648.0)) return std::isnan(r) ? 0 : std::numeric_limits<int32_t>::min();
    if (r > 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(r);
}

inline int64_t Round64(double x)
{
    const double r = std::nearbyint(x);
    if (!(r >= -9223372036854775808.0)) return std::isnan(r) ? 0 : std::numeric_limits<int64_t>::min();
    if (r >= 9223372036854775808.0) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(r);
}

// Truncation toward zero with saturation, for float-to-integer conversions
// of values that may be out of range.
inline int32_t Trunc(double x)
{
    if (std::isnan(x)) return 0;
    if (x <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    if (x >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    return static_cast<int32_t>(x);
}

// A value stored in single precision: evaluate in double, round once on store.
inline float Single(double x) { return static_cast<float>(x); }
