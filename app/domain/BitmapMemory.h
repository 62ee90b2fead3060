// Whether a bitmap of a size the user typed can be held. Allocating one far
// beyond the machine's memory does not fail cleanly on Linux: the allocation
// is granted and zero-filling it gets the process killed, open work and all.
#pragma once

#include <cstdint>
#include <string>

// At most half the machine's physical memory for the 32-bit pixels.
bool BitmapFitsInMemory(int64_t width, int64_t height);
// The most pixels that fit by that rule.
int64_t MaxPixelsInMemory();
// "The picture of W x H pixels is too large".
std::string TooLargePictureText(int64_t width, int64_t height);
