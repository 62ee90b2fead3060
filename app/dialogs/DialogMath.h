// Small arithmetic the size dialogs share.
#pragma once

#include "gfx/Rounding.h"

#include <algorithm>

// Width / height kept in single precision, as the size-locking dialogs keep
// it; a height of 0 counts as 1 rather than dividing by zero.
inline float AspectOf(int width, int height) { return Single(static_cast<double>(width) / std::max(height, 1)); }
