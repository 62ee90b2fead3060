// The screen the program needs: at least 800 x 600 pixels and 16-bit colour.
// Start-up warns about a smaller screen and goes on.
#pragma once

#include <string>
#include <vector>

inline constexpr int MinScreenWidth = 800;
inline constexpr int MinScreenHeight = 600;
inline constexpr int MinColorDepth = 16;

// The warnings for a screen of the given size and colour depth (bits per
// pixel), in the order they are shown; none for a screen that is enough.
std::vector<std::string> SystemRequirementWarnings(int width, int height, int colorDepth);
