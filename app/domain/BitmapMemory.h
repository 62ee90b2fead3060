// Whether a bitmap of a size the user typed can be held. Allocating one far
// beyond the machine's memory does not fail cleanly on Linux: the allocation
// is granted and zero-filling it gets the process killed, open work and all.
#pragma once

#include <cstdint>
#include <string>

// At most half the machine's physical memory for the 32-bit pixels and, for
// a use that needs them while the bitmap is held, `extraBytesPerPixel` more
// bytes a pixel and `extraBytes` besides.
bool BitmapFitsInMemory(int64_t width, int64_t height, int64_t extraBytesPerPixel = 0, int64_t extraBytes = 0);
// The most pixels that fit by that rule.
int64_t MaxPixelsInMemory(int64_t extraBytesPerPixel = 0, int64_t extraBytes = 0);
// "The picture of W x H pixels is too large".
std::string TooLargePictureText(int64_t width, int64_t height);
